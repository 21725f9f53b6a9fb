// "Zapis zmian do sterownika" and its undo through the menus, against the simulator.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>

#include "same_image.h"
#include "sim/misbehaviour.h"
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
  window->image().Sceny[0][0] ^= 0x10;  // block 0
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

  host.files = {dir.path().toStdString() + "/none.K3j"};
  trigger(kIdUndoJournal);
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

}  // namespace
}  // namespace kavira::test
