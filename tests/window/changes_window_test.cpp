// "Zapis zmian do sterownika" and its undo through the menus, against the simulator.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "same_image.h"
#include "sim/misbehaviour.h"
#include "ui/journal_list_dialog.h"
#include "ui/status_bar.h"
#include "window_fixture.h"

namespace kavira::test {
namespace {

TEST_F(WindowTest, ChangesWriteAndUndoThroughTheMenus) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string folder = dir.path().toStdString() + "/journals";
  window->changesRuns().folder = folder;

  // The new entries follow the original ones, under the same area menu.
  const char* added[] = {"", "Zapis z&mian do sterownika", "&Cofnij ostatni zapis",
                         "Cofnij zapis z dzie&nnika..."};
  for (int i = 0; i < 4; ++i) {
    QAction* a = window->menus().actionEntry(13 + i);
    ASSERT_NE(a, nullptr) << i;
    EXPECT_EQ(a->text(), QString::fromUtf8(added[i]));
  }
  EXPECT_EQ(window->menus().actionEntry(14)->menu(), window->menus().menu(kAreaMenu));

  auto show = controllerImage();
  window->image() = *show;
  window->engine().markFilled(0, kMidiUnit);  // as a loaded show does
  window->image().Sceny[0][0] ^= 0x10;        // block 0
  highlight(14);
  trigger(kIdEverything);
  waitIdle();
  ASSERT_EQ(host.boxes.size(), 1U);
  const std::string prefix =
      "Zapis zmian zakończony sukcesem !\nZapisane bloki : 1\nBloki bez zmian : 2047\nDziennik cofania : " +
      folder + "/";
  EXPECT_EQ(host.boxes[0].text.substr(0, prefix.size()), prefix);
  EXPECT_EQ(host.boxes[0].caption, "Sukces !");
  EXPECT_EQ(controllerImage()->Sceny[0], window->image().Sceny[0]);

  // Highlighting an original entry brings back its own walk: a whole verify, no write.
  highlight(5);
  trigger(kIdSettings);
  waitIdle();
  ASSERT_EQ(host.boxes.size(), 2U);
  EXPECT_EQ(host.boxes[1].text, "Weryfikacja zakończona sukcesem !");

  trigger(kIdUndoLast);  // the question is answered Yes
  waitIdle();
  ASSERT_EQ(host.boxes.size(), 4U);
  EXPECT_EQ(host.boxes[2].buttons, Buttons::YesNo);
  EXPECT_EQ(host.boxes[3].text.rfind("Cofnięcie zapisu zakończone sukcesem !\nZapisane bloki : 1\n", 0), 0U)
      << host.boxes[3].text;
  EXPECT_TRUE(SameImage(*controllerImage(), *show));
  EXPECT_NE(host.boxes[2].text.find("\nZapis z 20"), std::string::npos) << host.boxes[2].text;
  EXPECT_NE(host.boxes[2].text.find(", obszar : wszystko, bloki : 1\n"), std::string::npos)
      << host.boxes[2].text;

  // The list of journals, newest first: the undo's own journal, then the write's.
  std::vector<QStringList> rows;
  dialogs = [&](QDialog& d) {
    const auto* list = d.findChild<QTreeWidget*>(QStringLiteral("journals"));
    if (list == nullptr) return 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = list->topLevelItem(i);
      rows.push_back({item->text(1), item->text(2), item->text(3)});
    }
    return JournalListDialog::kOtherFile;
  };
  host.files = {dir.path().toStdString() + "/none.K3j"};
  trigger(kIdUndoJournal);
  ASSERT_EQ(rows.size(), 2U);
  EXPECT_EQ(rows[0][2], QStringLiteral("tak"));
  EXPECT_EQ(rows[1], (QStringList{"wszystko", "1 : program 1 scena 1 (kanały 1-128)", ""}));
  ASSERT_EQ(host.boxes.size(), 5U);
  EXPECT_EQ(host.boxes[4].text.rfind("Błędny dziennik zapisu !\n", 0), 0U) << host.boxes[4].text;

  // A run cut short after it overwrote block 0 (block 6 is refused, and the retry cancelled) says
  // where the journal of that block is.
  sim->withController([](SimController& c) {
    std::string error;
    c.addRule(*ParseMisbehaviour("nak:block=6:count=10", &error));
  });
  window->image().Sceny[0][0] ^= 0x20;
  window->image().Sceny[3][0] ^= 0x20;  // block 6
  // After a restart nothing is known of the controller: the walk compares every block again.
  trigger(kIdRestart);
  waitIdle();
  host.boxes.clear();
  host.answers = {Answer::Cancel};
  // The status bar names the run at its first box (the compare read of block 6 refused).
  std::vector<QString> actions;
  host.onBox = [&](const BoxRecord&) {
    window->refreshStatus();
    actions.push_back(window->statusBarWidget()->partText(kPartAction));
  };
  highlight(14);
  trigger(kIdEverything);
  waitIdle();
  ASSERT_TRUE(waitFor([&] { return host.boxes.size() >= 2; }, 5000));
  EXPECT_EQ(host.boxes[0].buttons, Buttons::RetryCancel);
  EXPECT_EQ(host.boxes[1].text.rfind(
                "Zapis zmian przerwany !\nZapisane bloki : 1\nDziennik cofania : " + folder + "/", 0),
            0U)
      << host.boxes[1].text;
  ASSERT_FALSE(actions.empty());
  EXPECT_EQ(actions[0], QStringLiteral("\tZapis zmian"));
  host.onBox = nullptr;
}

// After a read the program knows what the controller holds: an edit goes out as one read, one write
// and one read-back; a block changed in the controller meanwhile is a conflict named before anything
// is written; and an undo after an original write (which keeps no journal) warns first.
TEST_F(WindowTest, EditsReachTheControllerThreeWayAndUndoWarnsAfterAnOrdinaryWrite) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  window->changesRuns().folder = dir.path().toStdString() + "/journals";
  highlight(2);
  trigger(kIdEverything);
  waitIdle();
  ASSERT_TRUE(host.boxes.empty()) << host.firstBox().text;

  const auto changesWrite = [&](int area) {
    host.boxes.clear();
    const std::size_t before = framesReceived();
    highlight(14);
    trigger(area);
    waitIdle();
    return framesReceived() - before;
  };
  window->image().Sceny[0][0] ^= 0x10;  // block 0
  EXPECT_EQ(changesWrite(kIdEverything), 3U);
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text.rfind("Zapis zmian zakończony sukcesem !\nZapisane bloki : 1\n", 0), 0U);

  // Channel 2 of scene 1 changes in the controller; channel 1 is edited here again.
  sim->withController([](SimController& c) { c.memory().block(0)[1] ^= 0x01; });
  window->image().Sceny[0][0] ^= 0x20;
  host.answers = {Answer::Cancel};
  EXPECT_EQ(changesWrite(kIdEverything), 1U);  // the read of block 0 only
  ASSERT_FALSE(host.boxes.empty());
  EXPECT_EQ(host.boxes[0].buttons, Buttons::OverwriteSkipCancel);
  EXPECT_NE(host.boxes[0].text.find("scena 1 kanał 2 : obraz"), std::string::npos) << host.boxes[0].text;
  host.answers = {Answer::Overwrite};
  EXPECT_EQ(changesWrite(kIdEverything), 3U);
  EXPECT_EQ(controllerImage()->Sceny[0], window->image().Sceny[0]);

  // The settings written with a journal, then by the original write, which keeps none: the undo of
  // the journal says so and asks.
  window->image().PgmEnds[5] ^= 0x01;
  EXPECT_EQ(changesWrite(kIdSettings), 3U);
  window->image().PgmEnds[5] ^= 0x02;
  highlight(7);
  trigger(kIdSettings);
  waitIdle();
  host.boxes.clear();
  const std::size_t before = framesReceived();
  host.answers = {Answer::No};
  trigger(kIdUndoLast);
  waitIdle();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].buttons, Buttons::YesNoDefaultNo);
  EXPECT_EQ(host.boxes[0].text.rfind("Po tym zapisie zapis bez dziennika", 0), 0U) << host.boxes[0].text;
  EXPECT_EQ(framesReceived(), before);
}

}  // namespace
}  // namespace kavira::test
