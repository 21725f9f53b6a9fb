#include "ui/status_bar.h"

#include <QFile>
#include <QPainter>
#include <QProgressBar>
#include <QStyleOption>
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "link/host.h"
#include "link/link_state.h"
#include "link/transfer_engine.h"

namespace kavira {

namespace {

// Around a part's text, on each side: the gap to the next part, the frame and a margin that keeps
// the text off the frame.
constexpr int kPartPadding = 2 * (1 + 1 + 4);

// Every text a part can show.
std::vector<std::string> PartTexts(int part, const QFontMetrics& fm) {
  std::vector<std::string> texts;
  switch (part) {
    case kPartFirmware: {
      // The firmware version with the widest digit and the widest suffix letter of the font.
      auto widest = [&fm](std::string_view candidates) {
        char best = candidates.front();
        for (char c : candidates) {
          if (fm.horizontalAdvance(QLatin1Char(c)) > fm.horizontalAdvance(QLatin1Char(best))) best = c;
        }
        return static_cast<std::uint8_t>(best);
      };
      const std::uint8_t digit = widest("0123456789") - '0';
      const std::uint8_t letter = widest("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
      texts = {kNoVersion, ComposeVersionText(static_cast<std::uint8_t>(digit * 11), digit, letter),
               ComposeVersionText(0, 10, letter), ComposeVersionText(100, digit, 0)};
      break;
    }
    case kPartArea:
      texts.assign(Obszary.begin(), Obszary.end());
      texts.insert(texts.end(), {Texts::kFile, Texts::kEditing});
      break;
    case kPartAction:
      texts.assign(Akcje.begin(), Akcje.end());
      texts.insert(texts.end(), {Texts::kReady, Texts::kPreparing, Texts::kUpdating});
      break;
    default:
      break;
  }
  return texts;
}

}  // namespace

std::array<int, 3> StatusPartEdges(int w, int W, const std::array<int, 3>& least) {
  const int e0 = std::max(12 * w, least[0]);
  const int e1 = e0 + std::max(9 * w, least[1]);
  const int e2 = e1 + std::max(22 * w, least[2]);
  if (W - 9 * w < e2) {
    const int p0 = W * 12 / 50;
    const int p1 = p0 + W * 9 / 50;
    return {p0, p1, p1 + W * 22 / 50};
  }
  return {e0, e1, e2};
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
  reportTexts();
}

void StatusBar::reportTexts() const {
  // For tests of the installed program, which cannot read the window: with KAVIRA_STATUS_FILE set,
  // the parts' texts go into that file, one a line, whenever one changes.
  static const QString file = qEnvironmentVariable("KAVIRA_STATUS_FILE");
  if (file.isEmpty()) return;
  QFile out(file);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  for (const QString& part : texts_)
    out.write(part.trimmed().toUtf8() + '\n');
}

int StatusBar::leastWidth(int part) const {
  int widest = 0;
  for (const std::string& t : PartTexts(part, fontMetrics())) {
    QString text = QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
    if (text.startsWith('\t')) text.remove(0, 1);
    widest = std::max(widest, fontMetrics().horizontalAdvance(text));
  }
  return widest + kPartPadding;
}

void StatusBar::setParts(int averageCharWidth, int outerWidth) {
  edges_ = StatusPartEdges(averageCharWidth, outerWidth,
                           {leastWidth(kPartFirmware), leastWidth(kPartArea), leastWidth(kPartAction)});
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
