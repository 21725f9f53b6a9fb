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
// width `W`: 12, 9 and 22 character widths wide, each part at least as wide as `least` says, or
// 12/50, 9/50 and 22/50 of W each when the window is too narrow for that (W - 9w less than the
// right edge of part 2).
std::array<int, 3> StatusPartEdges(int w, int W, const std::array<int, 3>& least = {});

class StatusBar : public QWidget {
  Q_OBJECT

 public:
  explicit StatusBar(QWidget* parent = nullptr);

  void setPartText(int part, const QString& text);
  QString partText(int part) const { return texts_.at(static_cast<std::size_t>(part)); }
  // Lays the parts out for the main window's outer width and average character width (SetSBparts).
  // A part is widened where the widest text it shows would not fit in its character widths.
  void setParts(int averageCharWidth, int outerWidth);
  // The width a part needs to show every text it can show, frame and margins included.
  int leastWidth(int part) const;
  const std::array<int, 3>& edges() const { return edges_; }
  int PBleft() const { return edges_[2]; }
  QProgressBar* progressBar() const { return progress_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void reportTexts() const;
  void placeProgress();

  std::array<QString, 4> texts_;
  std::array<int, 3> edges_{};
  QProgressBar* progress_;
};

}  // namespace kavira
