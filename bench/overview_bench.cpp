// How fast the show overview draws: (a) all 1022 tiles drawn again from their scenes and the whole tile
// picture painted, (b) a refresh when nothing changed (what the window pays after every step of a
// read), (c) a refresh after one scene changed, with the repaint of that tile. Prints the median of
// several runs; the full redraw should stay under 50 ms. Given a file name, it also saves the window as
// it looks there (PNG), with a few scenes chosen.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "model/controller_image.h"
#include "model/numbering.h"
#include "ui/show_overview.h"

namespace {

using namespace kavira;

// A show as a real one looks: most scenes lit in patterns, some dark, some programs unused.
std::unique_ptr<ControllerImage> VariedShow() {
  auto image = std::make_unique<ControllerImage>();
  for (std::size_t a = 0; a < kSceneCount; ++a) {
    if (a % 7 == 3 || (a >= 600 && a < 700)) continue;  // dark scenes and unused programs
    for (std::size_t i = 0; i < kSceneBytes; ++i)
      image->Sceny[a][i] = static_cast<std::uint8_t>((a * 13 + i * (a % 5 + 1)) % 256);
  }
  for (std::size_t p = 0; p < kProgramCount; ++p) {
    image->PgmEnds[p] = static_cast<std::uint8_t>(p % 14);
    image->PgmSpeed[p] = static_cast<std::uint8_t>(p % 3 == 0 ? 255 : p);
    image->PgmFade[p] = static_cast<std::uint8_t>(p * 5);
  }
  return image;
}

double Ms(const QElapsedTimer& t) {
  return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-46s median %8.3f ms   min %8.3f ms   max %8.3f ms   (%zu runs)\n", what, ms[ms.size() / 2],
              ms.front(), ms.back(), ms.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  auto image = VariedShow();
  ShowOverview overview(*image, nullptr);
  QWidget* tiles = overview.tiles();
  QImage canvas(ShowOverview::tilesSize(), QImage::Format_ARGB32_Premultiplied);
  constexpr int kRuns = 21;

  std::vector<double> full, tilesOnly, paintOnly;
  for (int i = 0; i < kRuns; ++i) {
    QElapsedTimer t;
    t.start();
    overview.renderAll();
    const double rendered = Ms(t);
    tiles->render(&canvas);
    full.push_back(Ms(t));
    tilesOnly.push_back(rendered);
    paintOnly.push_back(full.back() - rendered);
  }
  Report("(a) full redraw: 1022 tiles + whole picture", full);
  Report("    of it: drawing the tiles from the scenes", tilesOnly);
  Report("    of it: painting the picture", paintOnly);

  std::vector<double> unchanged;
  for (int i = 0; i < kRuns * 10; ++i) {
    QElapsedTimer t;
    t.start();
    overview.refresh();
    unchanged.push_back(Ms(t));
  }
  Report("(b) refresh, nothing changed", unchanged);

  std::vector<double> one, onePainted;
  for (int i = 0; i < kRuns * 10; ++i) {
    const auto a = static_cast<std::size_t>(i * 37) % kSceneCount;
    ++image->Sceny[a][static_cast<std::size_t>(i) % kSceneBytes];
    QElapsedTimer t;
    t.start();
    overview.refresh();
    one.push_back(Ms(t));
    // What the window then repaints: the changed tile only.
    const unsigned rel = Abs2Rel(static_cast<unsigned>(a));
    const QRect r =
        ShowOverview::tileRect({static_cast<int>(ProgramOf(rel)), static_cast<int>(SceneOf(rel))});
    tiles->render(&canvas, r.topLeft(), QRegion(r));
    onePainted.push_back(Ms(t));
  }
  Report("(c) refresh, one scene changed", one);
  Report("    with the repaint of one tile", onePainted);

  if (argc > 1) {
    overview.clickScene({0, 2});
    overview.clickScene({0, 5}, Qt::ShiftModifier);
    overview.resize(1200, 800);
    overview.show();
    QApplication::processEvents();
    if (!overview.grab().save(QString::fromLocal8Bit(argv[1]))) {
      std::fprintf(stderr, "could not save %s\n", argv[1]);
      return 1;
    }
  }
  return 0;
}
