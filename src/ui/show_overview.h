// "Przegląd pokazu": the whole show at a glance, in a window of its own. One row for each of the 48
// programs: its number, running mode, speed and fade, then its scenes as small pictures (a tile: the
// 16 devices as rows and their 16 channels as columns, each level as a grey square). The end scene has
// a coloured frame, the scenes after it are dimmed, an all-dark scene is drawn as an empty dashed
// outline. Beside it the 16 collections of the three areas.
//
// Scenes are chosen with the mouse (click, Shift+click for a run within a program, Ctrl+click to add or
// remove one; a click on a program's label chooses the whole program) and copied, pasted and cleared
// through the clipboard, also to and from a spreadsheet (model/scene_text.h). Every change of the image
// is one step for the window's undo: the image is changed, then edited() names the step.
//
// The view keeps a copy of every scene it drew; refresh() compares the image with it and redraws only
// the tiles, labels and collections that changed, so the window calls it after every change of the
// image and while a read from the controller runs.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "model/controller_image.h"
#include "ui/set_channel_dialog.h"

class QAction;
class QDialog;
class QMimeData;
class QTableWidget;

namespace kavira {

class OverviewTiles;

class ShowOverview : public QWidget {
  Q_OBJECT

 public:
  // The tile picture: a tile is 16 x 16 level cells of kCell pixels.
  static constexpr int kCell = 2;
  static constexpr int kTile = 16 * kCell;
  static constexpr int kGap = 8;  // room for the marks around a tile
  static constexpr int kLabelWidth = 170;
  static constexpr int kRowHeight = kTile + 2 * kGap;

  // The clipboard's private forms. Scenes: their bytes one after another. A program: its index, scene
  // count, end scene, PgmSpeed and fade (one byte each), then its scenes' bytes.
  static constexpr const char* kScenesMime = "application/x-kaviraob-scenes";
  static constexpr const char* kProgramMime = "application/x-kaviraob-program";

  // A scene by 0-based program index and 0-based scene within the program.
  struct SceneRef {
    int program = 0;
    int scene = 0;
    friend bool operator==(SceneRef, SceneRef) = default;
  };

  // What a tile shows over its picture.
  struct TileMarks {
    bool end = false;      // the program's end scene
    bool pastEnd = false;  // after the end scene: dimmed
    bool empty = false;    // every level 0
    bool selected = false;
    bool current = false;  // where a paste starts
  };

  // The window starts with every tile drawn from `image`, which it reads and edits from then on.
  ShowOverview(ControllerImage& image, QWidget* parent);
  ~ShowOverview() override;

  // Redraws what changed in the image since the last refresh.
  void refresh();
  // Forgets every drawn tile and draws them all again.
  void renderAll();

  // Ctrl+C, Ctrl+V, Del and "Ustaw kanał...", also in the tiles' context menu.
  QAction* copyAction() const { return copy_; }
  QAction* pasteAction() const { return paste_; }
  QAction* clearAction() const { return clear_; }
  QAction* setChannelAction() const { return setChannel_; }

  // The picture of all rows (inside a scroll area), and where things lie on it.
  QWidget* tiles() const;
  static QRect tileRect(SceneRef scene);
  static QRect labelRect(int program);
  static QSize tilesSize();
  static std::optional<SceneRef> sceneAt(QPoint point);
  static std::optional<int> labelAt(QPoint point);

  // What is drawn, for those who check it.
  TileMarks marks(SceneRef scene) const;
  bool programEmpty(int program) const;
  QString programLabel(int program) const;
  QString tileToolTip(SceneRef scene) const;
  const QImage& tileImage(SceneRef scene) const;
  // How many tiles were drawn from their scene's levels since the window was made.
  int tileRenders() const { return renders_; }
  // The collections beside the programs: 16 rows, one column for each area.
  QTableWidget* collections() const { return collections_; }

  // The choice, as the mouse makes it.
  void clickScene(SceneRef scene, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
  void clickProgram(int program);
  std::vector<int> selectedScenes() const;  // absolute scene numbers, in order
  std::optional<int> selectedProgram() const { return selectedProgram_; }
  std::optional<SceneRef> currentScene() const { return current_; }

  // What the actions do.
  void copy();
  void paste();
  void clearSelected();
  void setChannel();

  // Shows a notice about a paste (how much of it fitted, why it was refused); a message box unless
  // replaced.
  std::function<void(const QString&)> tell;
  // Runs the "Ustaw kanał" dialog; exec() unless replaced.
  std::function<int(QDialog&)> runDialog;

 signals:
  void openScene(int program0, int scene0);
  // The image was changed by one step, named for the window's undo ("wklej 3 sceny").
  void edited(const QString& name);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  friend class OverviewTiles;

  struct Tile {
    Scene levels{};
    QImage image;
    bool empty = true;
    bool drawn = false;
  };
  struct Row {
    std::uint8_t end = 0, speed = 0, fade = 0;
    bool empty = true;
    bool drawn = false;
  };

  void renderTile(std::size_t abs);
  void refreshCollections();
  void paintTiles(QPainter& p, const QRect& area) const;
  void paintRow(QPainter& p, int program) const;
  void pasteScenes(const std::vector<Scene>& scenes);
  void pasteProgram(const QByteArray& bytes);
  void selectOnly(int firstAbs, int lastAbs);
  void afterEdit(const QString& name);

  ControllerImage& image_;
  OverviewTiles* tiles_ = nullptr;
  QTableWidget* collections_ = nullptr;
  QAction* copy_ = nullptr;
  QAction* paste_ = nullptr;
  QAction* clear_ = nullptr;
  QAction* setChannel_ = nullptr;

  std::vector<Tile> drawn_;
  std::array<Row, kProgramCount> rows_{};
  decltype(ControllerImage::Shows) shows_{};
  bool showsDrawn_ = false;
  int renders_ = 0;

  std::bitset<kSceneCount> selected_;
  std::optional<int> selectedProgram_;
  std::optional<SceneRef> current_;
  std::optional<SceneRef> anchor_;  // where a Shift+click run starts
  SetChannelDialog::Setting lastSetting_;
};

}  // namespace kavira
