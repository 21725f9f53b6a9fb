#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <algorithm>
#include <filesystem>

#include "files/data_files.h"
#include "files/path_text.h"
#include "find_child.h"
#include "same_image.h"
#include "ui/message_box.h"
#include "ui/range_dialog.h"
#include "ui/status_bar.h"
#include "window_fixture.h"

namespace kavira::test {
namespace {

TEST(StatusPartEdges, FixedWidthsOrShares) {
  // 12, 21 and 43 average character widths while the window is at least 52 of them wide.
  EXPECT_EQ(StatusPartEdges(7, 800), (std::array<int, 3>{84, 147, 301}));
  EXPECT_EQ(StatusPartEdges(15, 800), (std::array<int, 3>{180, 315, 645}));
  // Narrower: 12/50, 9/50 and 22/50 of the outer width, each share truncated on its own.
  EXPECT_EQ(StatusPartEdges(16, 800), (std::array<int, 3>{192, 336, 688}));
  EXPECT_EQ(StatusPartEdges(8, 399), (std::array<int, 3>{95, 166, 341}));
  EXPECT_EQ(StatusPartEdges(8, 416), (std::array<int, 3>{96, 168, 344}));
  // A part that needs more than its character widths gets it; the others keep theirs.
  EXPECT_EQ(StatusPartEdges(6, 800, {60, 60, 100}), (std::array<int, 3>{72, 132, 264}));
  EXPECT_EQ(StatusPartEdges(6, 300, {60, 60, 100}), (std::array<int, 3>{72, 126, 258}));
}

// Every text of parts 0-2 fits in its part at the default font of the 800-pixel window.
TEST(StatusBarTexts, EveryTextFitsItsPart) {
  QMainWindow window;
  StatusBar bar(&window);
  bar.setParts(window.fontMetrics().averageCharWidth(), 800);
  const std::vector<std::vector<const char*>> texts = {
      {"FW : N/A", "FW : 1.05A", "FW : ?.??X", "FW : 8.88W", "FW : 0.00M", "FW : 4.44m"},
      {"Sceny", "Ustaw.", "MIDI", "Wersja", "FirmWare", "N/A", "Plik", "Edycja"},
      {"Zapis do Qz418", "Odczyt z Qz418", "Weryfikacja", "Odczyt z pliku", "Zapis do pliku", "N/A", "Gotowe",
       "Inicjowanie", "Aktualizowanie"},
  };
  int left = 0;
  for (std::size_t part = 0; part < texts.size(); ++part) {
    const int room = bar.edges()[part] - left - 6;  // the gaps, the frame and the margins, as painted
    for (const char* t : texts[part]) {
      EXPECT_LE(bar.fontMetrics().horizontalAdvance(QString::fromUtf8(t)), room) << t;
    }
    left = bar.edges()[part];
  }
}

TEST_F(WindowTest, StartUpFindsTheControllerAndShowsItsVersion) {
  EXPECT_EQ(window->engine().link().HFirmWareVer, "\tFW : 1.05A");
  EXPECT_EQ(window->statusBarWidget()->partText(kPartFirmware), "\tFW : 1.05A");
  EXPECT_EQ(window->statusBarWidget()->partText(kPartArea), "\tWersja");
  EXPECT_TRUE(window->menus().portEntry(0)->isChecked());
  EXPECT_EQ(window->statusBarWidget()->partText(kPartAction), "\tGotowe");
  for (const auto& b : host.boxes)
    ADD_FAILURE() << b.text;
}

TEST_F(WindowTest, MenusHaveTheirEntriesWhereTheProgramGreysThem) {
  const char* entries[] = {"&Powtórz",
                           "",
                           "&Odczyt ze sterownika",
                           "Odczyt z &pliku",
                           "&Edycja",
                           "&Weryfikacja",
                           "Zapis &do pliku",
                           "Zapis do &sterownika",
                           "",
                           "&Zatrzymaj",
                           "&Restart sterownika",
                           "",
                           "&Koniec pracy"};
  for (int i = 0; i < 13; ++i) {
    SCOPED_TRACE(testing::Message() << "entry " << i);
    QAction* a = window->menus().actionEntry(i);
    EXPECT_NE(a, nullptr);
    if (a == nullptr) continue;
    EXPECT_EQ(a->text(), QString::fromUtf8(entries[i]));
    EXPECT_EQ(a->isSeparator(), entries[i][0] == 0);
  }
  EXPECT_FALSE(window->menus().actionEntry(0)->isEnabled());
  EXPECT_FALSE(window->menus().actionEntry(9)->isEnabled());
  EXPECT_TRUE(window->menus().actionEntry(10)->isEnabled());
  // One area menu under the five action entries.
  QMenu* areaMenu = window->menus().menu(kAreaMenu);
  for (int i : {2, 3, 5, 6, 7})
    EXPECT_EQ(window->menus().actionEntry(i)->menu(), areaMenu) << i;
  QStringList areas;
  for (QAction* a : areaMenu->actions())
    areas << a->text();
  EXPECT_EQ(areas, (QStringList{"&Sceny", "&Ustawienia", "Przypisania &MIDI", "&Wszystko"}));
  QStringList bar;
  for (QAction* a : window->menuBar()->actions())
    bar << a->text();
  // The original menus keep their places; the language menu comes after them.
  EXPECT_EQ(bar, (QStringList{"&Akcja", "&Wybór portu", "Aktualizacja &FirmWare", "&Koniec pracy", "&Pomoc",
                              "&Język / Language"}));
  EXPECT_EQ(window->menus().portEntry(0)->text(), QString::fromStdString(sim->path()));
}

TEST_F(WindowTest, WholeReadVerifyAndWriteThroughTheMenus) {
  auto show = controllerImage();
  highlight(2);  // "&Odczyt ze sterownika"
  trigger(kIdEverything);
  waitIdle();
  EXPECT_TRUE(test::SameImage(window->image(), *show));
  EXPECT_TRUE(window->menus().actionEntry(0)->isEnabled());   // "&Powtórz"
  EXPECT_FALSE(window->menus().actionEntry(9)->isEnabled());  // "&Zatrzymaj"
  EXPECT_EQ(window->statusBarWidget()->progressBar()->value(), 0);
  EXPECT_TRUE(host.boxes.empty());

  highlight(5);  // "&Weryfikacja"
  trigger(kIdEverything);
  waitIdle();
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Weryfikacja zakończona sukcesem !");

  // Scenes 1-2 of program 1 changed and written over a range chosen in the dialog.
  window->image().Sceny[0].fill(7);
  window->image().Sceny[1].fill(8);
  window->image().Sceny[2].fill(9);  // outside the range: stays in the PC
  dialogs = [](QDialog& d) {
    auto& range = dynamic_cast<RangeDialog&>(d);
    test::Child<QLineEdit>(range, "programFrom")->setText("1");
    test::Child<QLineEdit>(range, "sceneFrom")->setText("1");
    test::Child<QLineEdit>(range, "programTo")->setText("1");
    test::Child<QLineEdit>(range, "sceneTo")->setText("2");
    return range.confirm() ? RangeDialog::kConfirmed : RangeDialog::kCancelled;
  };
  highlight(7);  // "Zapis do &sterownika"
  const auto before = framesReceived();
  trigger(kIdScenes);
  waitIdle();
  EXPECT_EQ(framesReceived() - before, 4U);
  auto held = controllerImage();
  EXPECT_EQ(held->Sceny[0], window->image().Sceny[0]);
  EXPECT_EQ(held->Sceny[1], window->image().Sceny[1]);
  EXPECT_EQ(held->Sceny[2], show->Sceny[2]);
  EXPECT_EQ(window->engine().link().AdresOd, 0U);
  EXPECT_EQ(window->engine().link().AdresDo, 1U);

  // "&Powtórz" writes the same range again, without the dialog.
  dialogs = nullptr;
  trigger(kIdRepeat);
  waitIdle();
  EXPECT_EQ(framesReceived() - before, 8U);
}

// Closing a dialog shows the link's state again: after the cancelled range dialog the area is the
// scenes the command chose, and the link is ready.
TEST_F(WindowTest, StatusBarFollowsTheLinkWhenTheRangeDialogCloses) {
  StatusBar* bar = window->statusBarWidget();
  ASSERT_EQ(bar->partText(kPartArea), "\tWersja");
  dialogs = [](QDialog& d) {
    d.show();
    d.reject();
    return d.result();
  };
  const auto frames = framesReceived();
  highlight(2);  // "&Odczyt ze sterownika"
  trigger(kIdScenes);
  EXPECT_TRUE(waitFor([&] { return bar->partText(kPartArea) == "\tSceny"; }, 5000));
  EXPECT_EQ(bar->partText(kPartAction), "\tGotowe");
  EXPECT_EQ(framesReceived(), frames);
}

TEST_F(WindowTest, ControllerActionsNeedAnOpenPortFileActionsDoNot) {
  window->command(kIdFirstPort + 5);  // no such entry: nothing happens
  window->ports().closePort();
  window->engine().setPort(nullptr);
  highlight(2);
  trigger(kIdSettings);
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Musisz wybrać dostępny port szeregowy !");
  EXPECT_EQ(window->engine().link().status, _idle_);

  // Saving needs no port: the Save dialog gets the settings filter and title.
  const std::string name = ::testing::TempDir() + "kaviraob-window-settings.K3p";
  host.files = {name};
  highlight(6);  // "Zapis &do pliku"
  trigger(kIdSettings);
  waitIdle();
  ASSERT_EQ(host.fileRequests.size(), 1U);
  EXPECT_TRUE(host.fileRequests[0].save);
  EXPECT_EQ(host.fileRequests[0].filterIndex, 2);
  EXPECT_EQ(host.fileRequests[0].title.Polish(), "Wybierz plik do zapisu :");
  EXPECT_EQ(std::filesystem::file_size(name), 202U);
  std::filesystem::remove(name);
}

TEST_F(WindowTest, StopAndEscapeEndARunningTransfer) {
  highlight(2);
  trigger(kIdEverything);
  ASSERT_TRUE(waitFor([&] { return window->engine().link().Adres >= 4; }));
  trigger(kIdStop);
  EXPECT_EQ(window->engine().link().status, _idle_);
  EXPECT_EQ(window->engine().link().wszystko, 0);
  EXPECT_FALSE(window->menus().actionEntry(9)->isEnabled());

  trigger(kIdEverything);
  ASSERT_TRUE(waitFor([&] { return window->engine().link().Adres >= 4; }));
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_EQ(window->engine().link().status, _idle_);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(WindowTest, HighlightingDuringATransferChangesNothingInIt) {
  highlight(2);
  trigger(kIdEverything);
  ASSERT_TRUE(waitFor([&] { return window->engine().link().Adres >= 2; }));
  highlight(7);  // passing over "Zapis do &sterownika" on the way to "&Zatrzymaj"
  highlight(9);
  waitIdle();
  EXPECT_EQ(window->engine().link().akcja, _read_);
  const auto frames = sim->withController([](SimController& c) { return c.received(); });
  for (const auto& f : frames) {
    if (f.bytes.size() > 6) ADD_FAILURE() << "a write frame was sent";
  }
}

TEST_F(WindowTest, AreaCommandsAndEditorsWaitForAnIdleLink) {
  highlight(2);
  trigger(kIdEverything);
  ASSERT_TRUE(waitFor([&] { return window->engine().link().Adres >= 2; }));
  int opened = 0;
  bool clientHidden = false;
  QString area;
  dialogs = [&](QDialog&) {
    ++opened;
    clientHidden = window->client()->isHidden();
    area = window->statusBarWidget()->partText(kPartArea);
    return 0;
  };
  trigger(kIdScenes);  // ignored while busy
  trigger(kIdRepeat);
  trigger(kIdEditMidi);
  trigger(kIdEditSettings);
  EXPECT_EQ(opened, 0);
  trigger(kIdEditScenes);  // the scene editor opens in any state
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(clientHidden);
  EXPECT_EQ(area, "\tEdycja");
  EXPECT_FALSE(window->client()->isHidden());
  waitIdle();
  trigger(kIdEditMidi);
  trigger(kIdEditSettings);
  EXPECT_EQ(opened, 3);
}

TEST_F(WindowTest, PortChoiceReopensAndReadsTheVersion) {
  const auto before = framesReceived();
  sim->withController([](SimController& c) { c.memory().version = VersionBytes{7, 2, 'b'}; });
  trigger(kIdFirstPort);
  EXPECT_TRUE(window->menus().portEntry(0)->isChecked());
  waitIdle();
  EXPECT_EQ(window->engine().link().HFirmWareVer, "\tFW : 2.07b");
  EXPECT_EQ(framesReceived() - before, 1U);  // the version request, no probe
}

TEST_F(WindowTest, AutoSearchesAgain) {
  searchEnded = false;
  trigger(kIdAuto);
  ASSERT_TRUE(waitFor([&] { return searchEnded; }));
  EXPECT_TRUE(found);
  waitIdle();
  EXPECT_TRUE(window->menus().portEntry(0)->isChecked());
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(WindowTest, RestartAndHelpAndExit) {
  const std::size_t before = framesReceived();
  trigger(kIdRestart);
  waitIdle();
  // The restart request went out (a version query of the start-up may still come after it).
  const auto frames = sim->withController([](SimController& c) { return c.received(); });
  ASSERT_GT(frames.size(), before);
  EXPECT_NE(std::find_if(frames.begin() + static_cast<std::ptrdiff_t>(before), frames.end(),
                         [](const auto& f) {
                           return f.bytes == std::vector<std::uint8_t>{0x0F, 0x03, 0xEE};
                         }),
            frames.end());

  trigger(kIdProgramHelp);
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Plik pomocy nie jest na razie dostępny !");
  EXPECT_EQ(host.boxes[0].caption, "Brak dostępu !");

  trigger(kIdAbout);
  ASSERT_EQ(host.boxes.size(), 2U);
  EXPECT_EQ(host.boxes[1].caption, "O programie");

  host.answers = {Answer::No};
  trigger(kIdQuit);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(
      host.boxes.back().text,
      "UWAGA !!!\nWszystkie zmiany nie zapisane do pliku\nlub do sterownika zostaną utracone !!!\nCzy na "
      "pewno chcesz zakończyć ?");
  host.answers = {Answer::Yes};
  trigger(kIdQuit);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowTest, TheManualAndEnglishMenusDialogsAndBoxes) {
  auto barTexts = [this] {
    QStringList bar;
    for (QAction* a : window->menuBar()->actions())
      bar << a->text();
    return bar;
  };
  auto manualText = [this] { return static_cast<QTextBrowser*>(window->manualWindow())->toPlainText(); };
  trigger(kIdManual);
  ASSERT_NE(window->manualWindow(), nullptr);
  EXPECT_TRUE(window->manualWindow()->isVisible());
  EXPECT_TRUE(manualText().startsWith(QStringLiteral("Podręcznik KaviraOB")));
  // Its pictures come from the program's resources.
  const QVariant picture =
      static_cast<QTextBrowser*>(window->manualWindow())
          ->loadResource(QTextDocument::ImageResource, QUrl("../screenshots/overview.png"));
  EXPECT_TRUE(picture.isValid() && !picture.toByteArray().isEmpty());

  trigger(kIdEnglish);
  EXPECT_EQ(barTexts(),
            (QStringList{"&Action", "&Port", "&Firmware update", "E&xit", "&Help", "&Język / Language"}));
  EXPECT_EQ(window->menus().command(kIdManual)->text(), QStringLiteral("&Manual"));
  EXPECT_TRUE(window->menus().command(kIdEnglish)->isChecked());
  EXPECT_TRUE(manualText().startsWith(QStringLiteral("KaviraOB manual")));
  EXPECT_EQ(QSettings().value(QStringLiteral("language")).toString(), QStringLiteral("en"));
  {
    std::uint32_t from = 0, to = 0;
    RangeDialog range(from, to, host, window.get());
    EXPECT_EQ(range.windowTitle(), QStringLiteral("Scene range"));
  }
  const auto box =
      BuildMessageBox(window.get(), TranslateText(Message(Texts::kLinkFailure, {Message::Text("NAK")})),
                      TranslateText(Texts::kCaptionFailure), Buttons::RetryCancel, Icon::Exclamation);
  EXPECT_EQ(box->text(), QStringLiteral("Communication error: NAK"));
  EXPECT_EQ(box->windowTitle(), QStringLiteral("Failure"));
  EXPECT_EQ(box->buttons().front()->text(), QStringLiteral("Retry"));

  // Back in Polish every text is the program's own again.
  trigger(kIdPolish);
  EXPECT_EQ(barTexts(), (QStringList{"&Akcja", "&Wybór portu", "Aktualizacja &FirmWare", "&Koniec pracy",
                                     "&Pomoc", "&Język / Language"}));
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8(kWindowTitle));
  EXPECT_TRUE(manualText().startsWith(QStringLiteral("Podręcznik KaviraOB")));
}

TEST_F(WindowTest, AFileGivenAtStartOpensItsWholeSet) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string base = dir.filePath(QStringLiteral("Próba")).toStdString();
  auto shown = std::make_unique<ControllerImage>();
  shown->Sceny[3][7] = 200;
  shown->PgmEnds[5] = 9;
  ASSERT_FALSE(SaveDataFile(PathFromUtf8(base + ".K3s"), DataArea::Scenes, *shown));
  ASSERT_FALSE(SaveDataFile(PathFromUtf8(base + ".K3p"), DataArea::Settings, *shown));
  // No .K3m: a set need not be complete; only the file named must be there.
  window->openFileSet(base + ".K3p");
  EXPECT_EQ(window->image().Sceny[3][7], 200);
  EXPECT_EQ(window->image().PgmEnds[5], 9);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(window->fileDialog().NazwaPliku, base + ".K3s");

  window->openFileSet(base + ".K3m");
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].kind, MessageKind::FileFailure);
}

}  // namespace
}  // namespace kavira::test
