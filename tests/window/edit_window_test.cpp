// Undo and redo of the image's changes, the unsaved-changes question and the recent files, through
// the window against the simulator.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "files/data_files.h"
#include "files/path_text.h"
#include "model/numbering.h"
#include "same_image.h"
#include "ui/compare_dialog.h"
#include "ui/scene_editor_dialog.h"
#include "ui/show_overview.h"
#include "window_fixture.h"

namespace kavira::test {
namespace {

QString EntryText(MainWindow& w, int id) {
  return w.menus().command(id)->text();
}

TEST_F(WindowTest, ReadsAndEditsAreStepsThatUndoAndRedo) {
  EXPECT_FALSE(window->menus().command(kIdUndoEdit)->isEnabled());
  highlight(2);
  trigger(kIdEverything);  // "&Odczyt ze sterownika" -> "&Wszystko"
  waitIdle();
  const auto show = controllerImage();
  ASSERT_TRUE(window->image() == *show);
  EXPECT_EQ(window->undoStack().count(), 1);
  EXPECT_EQ(EntryText(*window, kIdUndoEdit), QStringLiteral("&Cofnij: odczyt ze sterownika"));
  EXPECT_TRUE(window->unsaved());
  EXPECT_TRUE(window->windowTitle().contains(QLatin1Char('*')));

  window->image().Sceny[4][17] = 99;
  window->checkpoint(QStringLiteral("wklej 1 scenę"));
  window->checkpoint(QStringLiteral("nic"));  // nothing changed: no step
  EXPECT_EQ(window->undoStack().count(), 2);
  EXPECT_EQ(EntryText(*window, kIdUndoEdit), QStringLiteral("&Cofnij: wklej 1 scenę"));

  trigger(kIdUndoEdit);
  EXPECT_EQ(window->image().Sceny[4][17], show->Sceny[4][17]);
  EXPECT_EQ(EntryText(*window, kIdRedoEdit), QStringLiteral("P&onów: wklej 1 scenę"));
  // Undoing the read puts back the empty image and never touches the controller.
  const std::size_t frames = framesReceived();
  trigger(kIdUndoEdit);
  EXPECT_TRUE(window->image() == *std::make_unique<ControllerImage>());
  EXPECT_FALSE(window->unsaved());
  EXPECT_EQ(framesReceived(), frames);
  trigger(kIdRedoEdit);
  trigger(kIdRedoEdit);
  EXPECT_TRUE(window->image() == [&] {
    auto edited = std::make_unique<ControllerImage>(*show);
    edited->Sceny[4][17] = 99;
    return *edited;
  }());
  EXPECT_FALSE(window->menus().command(kIdRedoEdit)->isEnabled());
}

TEST_F(WindowTest, ClosingWithUnsavedChangesAsksToSave) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // Nothing unsaved: the close box closes at once, as it always has.
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(host.boxes.empty());
  window->show();

  window->image().PgmFade[2] = 7;
  window->checkpoint(QStringLiteral("edycja ustawień"));
  host.answers = {Answer::Cancel};
  window->close();
  EXPECT_TRUE(window->isVisible());
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Zapisać zmiany?");
  EXPECT_EQ(host.boxes[0].buttons, Buttons::SaveDiscardCancel);

  // "Koniec pracy" asks the same instead of its own question; Save runs the "Wszystko" save.
  const std::string base = dir.path().toStdString() + "/pokaz";
  host.answers = {Answer::Save};
  host.files = {base + ".K3s", base + ".K3p", base + ".K3m"};
  trigger(kIdQuit);
  ASSERT_TRUE(waitFor([&] { return !window->isVisible(); }, 10000));
  EXPECT_EQ(host.boxes.size(), 2U);
  EXPECT_FALSE(window->unsaved());
  EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("pokaz - ")));
  ASSERT_FALSE(MainWindow::recentFiles().isEmpty());
  EXPECT_EQ(MainWindow::recentFiles().front(), QString::fromStdString(base + ".K3m"));

  // Discard closes without saving.
  window->show();
  window->image().PgmFade[2] = 8;
  host.answers = {Answer::Discard};
  window->close();
  EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowTest, ARecentFileOpensItsSet) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string base = dir.path().toStdString() + "/inny";
  window->image().Sceny[0][0] = 42;
  host.answers = {Answer::Save};
  host.files = {base + ".K3s", base + ".K3p", base + ".K3m"};
  window->close();
  ASSERT_TRUE(waitFor([&] { return !window->isVisible(); }, 10000));
  window->show();

  window->image().Sceny[0][0] = 0;
  window->checkpoint(QStringLiteral("wyczyść"));
  QMenu* recent = window->menus().menu(kRecentMenu);
  ASSERT_FALSE(recent->actions().isEmpty());
  EXPECT_EQ(recent->actions().front()->text(), QStringLiteral("&1 inny.K3m"));
  recent->actions().front()->trigger();
  EXPECT_EQ(window->image().Sceny[0][0], 42);
  EXPECT_EQ(EntryText(*window, kIdUndoEdit), QStringLiteral("&Cofnij: odczyt z pliku"));
  EXPECT_FALSE(window->unsaved());
}

TEST_F(WindowTest, TheOverviewFollowsAReadPastesAsAStepAndOpensTheEditor) {
  trigger(kIdOverview);
  ShowOverview* overview = window->overview();
  ASSERT_NE(overview, nullptr);
  EXPECT_TRUE(overview->isVisible());
  EXPECT_TRUE(overview->programEmpty(0));
  highlight(2);
  trigger(kIdEverything);
  waitIdle();
  const auto show = controllerImage();
  for (int p = 0; p < 48; ++p) {
    bool empty = true;
    for (unsigned sc = 0; sc < SceneCount(static_cast<unsigned>(p)); ++sc)
      empty = empty && show->Sceny[Rel2Abs(static_cast<unsigned>(p), sc)] == Scene{};
    EXPECT_EQ(overview->programEmpty(p), empty) << p;
  }

  // Copy scene 1 of program 1 onto scene 2: one step, undone from the menu.
  overview->clickScene({0, 0});
  overview->copy();
  overview->clickScene({0, 1});
  overview->paste();
  EXPECT_EQ(window->image().Sceny[1], show->Sceny[0]);
  EXPECT_EQ(window->undoStack().count(), 2);
  EXPECT_TRUE(window->menus().command(kIdUndoEdit)->text().startsWith(QStringLiteral("&Cofnij: wklej")));
  trigger(kIdUndoEdit);
  EXPECT_EQ(window->image().Sceny[1], show->Sceny[1]);
  EXPECT_EQ(overview->marks({0, 1}).empty, show->Sceny[1] == Scene{});  // the overview follows the undo

  // A double click opens the scene editor on that scene.
  std::optional<std::pair<int, int>> shown;
  dialogs = [&](QDialog& d) {
    if (auto* editor = dynamic_cast<SceneEditorDialog*>(&d))
      shown = std::pair{editor->state().Pgm, editor->state().Scena};
    return 0;
  };
  QTest::mouseDClick(overview->tiles(), Qt::LeftButton, Qt::NoModifier,
                     ShowOverview::tileRect({20, 5}).center());
  EXPECT_EQ(shown, (std::pair{21, 6}));
}

TEST_F(WindowTest, ComparisonWithTheControllerAndWithFilesLeavesTheImage) {
  window->image().Sceny[0][5] = 1;
  window->checkpoint(QStringLiteral("edycja scen"));
  const auto before = std::make_unique<ControllerImage>(window->image());
  trigger(kIdCompareController);
  waitIdle();
  auto* table = dynamic_cast<CompareDialog*>(window->comparison());
  ASSERT_NE(table, nullptr);
  EXPECT_GT(table->differenceCount(), 0);
  EXPECT_TRUE(window->image() == *before);
  EXPECT_EQ(window->undoStack().count(), 1);

  // A set with only its scenes file compares only the scenes: one channel differs.
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string file = dir.path().toStdString() + "/inne.K3s";
  auto other = std::make_unique<ControllerImage>(*before);
  other->Sceny[1021][255] = 9;
  other->PgmFade[0] = 3;  // not in a scenes file
  ASSERT_FALSE(SaveDataFile(PathFromUtf8(file), DataArea::Scenes, *other));
  host.files = {file};
  trigger(kIdCompareFiles);
  table = dynamic_cast<CompareDialog*>(window->comparison());
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->differenceCount(), 1);
  EXPECT_TRUE(table->visibleText().contains(QStringLiteral("inne")));
  EXPECT_TRUE(window->image() == *before);
}

}  // namespace
}  // namespace kavira::test
