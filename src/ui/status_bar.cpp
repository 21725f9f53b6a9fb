#include "ui/status_bar.h"

#include <QPainter>
#include <QProgressBar>
#include <QStyleOption>

namespace kavira {

std::array<int, 3> StatusPartEdges(int w, int W) {
  if (W - 9 * w < 43 * w) {
    const int e0 = W * 12 / 50;
    const int e1 = e0 + W * 9 / 50;
    return {e0, e1, e1 + W * 22 / 50};
  }
  return {12 * w, 21 * w, 43 * w};
}

StatusBar::StatusBar(QWidget* parent) : QWidget(parent), progress_(new QProgressBar(this)) {
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  // The parts are measured in the window's character widths; a slightly smaller face keeps texts
  // such as "FW : 1.05A" inside them.
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.9);
  setFont(small);
}

QSize StatusBar::sizeHint() const {
  return {200, fontMetrics().height() + 10};
}

void StatusBar::setPartText(int part, const QString& text) {
  if (part < 0 || part > 3) return;
  auto& t = texts_[static_cast<std::size_t>(part)];
  if (t == text) return;
  t = text;
  update();
}

void StatusBar::setParts(int averageCharWidth, int outerWidth) {
  edges_ = StatusPartEdges(averageCharWidth, outerWidth);
  placeProgress();
  update();
}

void StatusBar::resizeEvent(QResizeEvent*) {
  placeProgress();
}

void StatusBar::placeProgress() {
  progress_->setGeometry(PBleft() + 2, 2, std::max(0, width() - PBleft() - 4), std::max(0, height() - 4));
}

void StatusBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int left[3] = {0, edges_[0], edges_[1]};
  for (int i = 0; i < 3; ++i) {
    const QRect part(left[i] + 1, 2, edges_[static_cast<std::size_t>(i)] - left[i] - 2, height() - 4);
    if (part.width() <= 0) continue;
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = part;
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &p, this);
    QString text = texts_[static_cast<std::size_t>(i)];
    int align = Qt::AlignVCenter | Qt::AlignLeft;
    if (text.startsWith('\t')) {
      text.remove(0, 1);
      align = Qt::AlignCenter;
    }
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(part.adjusted(2, 0, -2, 0), align, text);
  }
}

}  // namespace kavira
