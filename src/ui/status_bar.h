// The main window's status bar: four parts (firmware version, data area, action, progress). A text
// that begins with a tab is centred in its part. The progress bar sits in the last part with a
// 2-pixel margin.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QProgressBar;

namespace kavira {

// Right edges of parts 0, 1 and 2 for an average character width `w` and the main window's outer
// width `W`: 12, 21 and 43 character widths, or 12/50, 9/50 and 22/50 of W each when the window is
// too narrow for that (W - 9w < 43w).
std::array<int, 3> StatusPartEdges(int w, int W);

class StatusBar : public QWidget {
  Q_OBJECT

 public:
  explicit StatusBar(QWidget* parent = nullptr);

  void setPartText(int part, const QString& text);
  QString partText(int part) const { return texts_.at(static_cast<std::size_t>(part)); }
  // Lays the parts out for the main window's outer width and average character width (SetSBparts).
  void setParts(int averageCharWidth, int outerWidth);
  const std::array<int, 3>& edges() const { return edges_; }
  int PBleft() const { return edges_[2]; }
  QProgressBar* progressBar() const { return progress_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void placeProgress();

  std::array<QString, 4> texts_;
  std::array<int, 3> edges_{};
  QProgressBar* progress_;
};

}  // namespace kavira
