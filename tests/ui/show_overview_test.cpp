#include "ui/show_overview.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <map>

#include "dialog_test_support.h"
#include "find_child.h"
#include "model/numbering.h"
#include "same_image.h"

namespace kavira {
namespace {

using Ref = ShowOverview::SceneRef;

Scene& SceneAt(ControllerImage& image, Ref r) {
  return image.Sceny[Rel2Abs(static_cast<unsigned>(r.program), static_cast<unsigned>(r.scene))];
}

// A scene whose levels all differ from those of any other scene made with another seed.
Scene Pattern(int seed) {
  Scene s{};
  for (std::size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<std::uint8_t>(1 + (seed * 31 + static_cast<int>(i)) % 250);
  return s;
}

class ShowOverviewTest : public ::testing::Test {
 protected:
  ShowOverview& open() {
    overview = std::make_unique<ShowOverview>(*image, nullptr);
    overview->tell = [this](const QString& text) { notices << text; };
    QObject::connect(overview.get(), &ShowOverview::edited, [this](const QString& name) { steps << name; });
    overview->show();
    return *overview;
  }

  void click(Ref r, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(overview->tiles(), Qt::LeftButton, modifiers, ShowOverview::tileRect(r).center());
  }
  void clickLabel(int program) {
    QTest::mouseClick(overview->tiles(), Qt::LeftButton, Qt::NoModifier,
                      ShowOverview::labelRect(program).center());
  }

  std::unique_ptr<ControllerImage> image = test::ZeroImage();
  std::unique_ptr<ShowOverview> overview;
  QStringList notices;
  QStringList steps;
};

TEST_F(ShowOverviewTest, ShowsTheProgramsScenesMarksAndCollections) {
  SceneAt(*image, {0, 0})[ChannelIndex(2, 3)] = 200;
  SceneAt(*image, {0, 4})[ChannelIndex(16, 16)] = 1;  // dark, yet not empty
  image->PgmEnds[0] = 3;
  image->PgmSpeed[0] = 12;
  image->PgmFade[0] = 40;
  image->PgmSpeed[1] = 255;
  image->PgmEnds[2] = 40;  // beyond the program: no end
  SceneAt(*image, {2, 0}) = Pattern(1);
  image->Shows[1][3] = 4;
  image->Shows[2][15] = kEmptyCollection;
  image->Shows[0][0] = 60;  // no such program
  open();

  // Where tiles lie, and the gaps and missing scenes that are none.
  const struct { Ref ref; } tiles[] = {{{0, 0}}, {{15, 31}}, {{16, 15}}, {{47, 13}}};
  for (const auto& t : tiles) {
    SCOPED_TRACE(testing::Message() << "program " << t.ref.program << " scene " << t.ref.scene);
    const QRect r = ShowOverview::tileRect(t.ref);
    EXPECT_TRUE(QRect(QPoint(), ShowOverview::tilesSize()).contains(r));
    EXPECT_EQ(ShowOverview::sceneAt(r.topLeft()), t.ref);
    EXPECT_EQ(ShowOverview::sceneAt(r.bottomRight()), t.ref);
    EXPECT_EQ(ShowOverview::sceneAt(r.topLeft() - QPoint(1, 0)), std::nullopt);
  }
  EXPECT_EQ(ShowOverview::sceneAt(ShowOverview::tileRect({16, 16}).center()), std::nullopt);
  EXPECT_EQ(ShowOverview::sceneAt(ShowOverview::tileRect({47, 14}).center()), std::nullopt);
  EXPECT_EQ(ShowOverview::labelAt(ShowOverview::labelRect(47).center()), 47);

  // The picture: device as the row, channel as the column, the level as its grey.
  const QImage& tile = overview->tileImage({0, 0});
  EXPECT_EQ(tile.size(), QSize(32, 32));
  EXPECT_EQ(tile.pixel(2 * 2 + 1, 1 * 2 + 1), qRgb(200, 200, 200));
  EXPECT_EQ(tile.pixel(1 * 2, 2 * 2), qRgb(0, 0, 0));

  const struct {
    Ref ref;
    bool end, pastEnd, empty;
  } marks[] = {
      {{0, 0}, false, false, false}, {{0, 1}, false, false, true}, {{0, 2}, true, false, true},
      {{0, 3}, false, true, true},   {{0, 4}, false, true, false}, {{2, 0}, false, false, false},
      {{2, 15}, false, false, true},
  };
  for (const auto& m : marks) {
    SCOPED_TRACE(testing::Message() << "program " << m.ref.program << " scene " << m.ref.scene);
    const auto got = overview->marks(m.ref);
    EXPECT_EQ(got.end, m.end);
    EXPECT_EQ(got.pastEnd, m.pastEnd);
    EXPECT_EQ(got.empty, m.empty);
  }
  EXPECT_EQ(overview->programLabel(0), "Program 1\nauto 12, fading 40");
  EXPECT_EQ(overview->programLabel(1), "Program 2 (pusty)\nmuzyka, fading 0");
  EXPECT_FALSE(overview->programEmpty(0));
  EXPECT_TRUE(overview->programEmpty(1));

  EXPECT_EQ(overview->tileToolTip({0, 0}), "Program 1, scena 1 (0)\nurz. 2 kan. 3 = 200");
  EXPECT_EQ(overview->tileToolTip({0, 3}), "Program 1, scena 4 (3)\nza końcem programu\npusta scena");
  const QStringList full = overview->tileToolTip({2, 0}).split('\n');
  EXPECT_EQ(full.front(), "Program 3, scena 1 (64)");
  EXPECT_EQ(full.size(), 1 + 6 + 1);  // 24 channels four a line, then the ellipsis
  EXPECT_TRUE(full[1].startsWith("urz. 1 kan. 1 = 32, urz. 1 kan. 2 = 33"));
  EXPECT_EQ(full.back(), "…");

  QTableWidget* shows = overview->collections();
  EXPECT_EQ(shows->item(3, 1)->text(), "5");
  EXPECT_EQ(shows->item(15, 2)->text(), "—");
  EXPECT_EQ(shows->item(1, 0)->text(), "1");
  EXPECT_EQ(shows->item(0, 0)->text(), "błąd (60)");
}

TEST_F(ShowOverviewTest, DoubleClickOpensTheScene) {
  open();
  std::vector<std::pair<int, int>> opened;
  QObject::connect(overview.get(), &ShowOverview::openScene,
                   [&](int p, int s) { opened.emplace_back(p, s); });
  for (const Ref r : {Ref{20, 5}, Ref{47, 13}, Ref{0, 31}}) {
    QTest::mouseDClick(overview->tiles(), Qt::LeftButton, Qt::NoModifier, ShowOverview::tileRect(r).center());
  }
  QTest::mouseDClick(overview->tiles(), Qt::LeftButton, Qt::NoModifier, ShowOverview::labelRect(3).center());
  EXPECT_EQ(opened, (std::vector<std::pair<int, int>>{{20, 5}, {47, 13}, {0, 31}}));
}

TEST_F(ShowOverviewTest, CopiesAndPastesARunOfScenesWhereItFits) {
  for (int s = 2; s <= 6; ++s)
    SceneAt(*image, {1, s}) = Pattern(s);
  open();
  click({1, 3});
  click({1, 6}, Qt::ShiftModifier);
  click({1, 5}, Qt::ControlModifier);  // out of the run again
  EXPECT_EQ(overview->selectedScenes(), (std::vector<int>{35, 36, 38}));
  EXPECT_TRUE(overview->marks({1, 4}).selected);
  EXPECT_FALSE(overview->marks({1, 5}).selected);
  overview->copyAction()->trigger();
  const QMimeData* data = QApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->data(ShowOverview::kScenesMime).size(), 3 * 256);
  EXPECT_EQ(data->text().count('\n'), 3);
  EXPECT_TRUE(data->text().startsWith(QString::number(Pattern(3)[0]) + '\t'));
  EXPECT_TRUE(steps.isEmpty());

  // Two of the three fit from scene 31 of program 6.
  const auto before = *image;
  click({5, 30});
  overview->pasteAction()->trigger();
  EXPECT_EQ(SceneAt(*image, {5, 30}), Pattern(3));
  EXPECT_EQ(SceneAt(*image, {5, 31}), Pattern(4));
  EXPECT_EQ(SceneAt(*image, {6, 0}), before.Sceny[Rel2Abs(6, 0)]);
  EXPECT_EQ(notices, QStringList{"Wklejono 2 z 3 scen : w programie 6 nie ma miejsca na resztę."});
  EXPECT_EQ(steps, QStringList{"wklej 2 sceny"});

  click({30, 0});
  overview->pasteAction()->trigger();
  EXPECT_EQ(SceneAt(*image, {30, 2}), Pattern(6));
  EXPECT_EQ(overview->selectedScenes(), (std::vector<int>{736, 737, 738}));
  overview->pasteAction()->trigger();  // the same again changes nothing: no step
  EXPECT_EQ(steps, (QStringList{"wklej 2 sceny", "wklej 3 sceny"}));
  EXPECT_EQ(notices.size(), 1);
}

TEST_F(ShowOverviewTest, PastesAProgramOntoOneWithAnotherSceneCount) {
  for (int s = 0; s < 32; ++s)
    SceneAt(*image, {0, s}) = Pattern(s);
  image->PgmEnds[0] = 20;
  image->PgmSpeed[0] = 12;
  image->PgmFade[0] = 40;
  open();
  clickLabel(0);
  EXPECT_EQ(overview->selectedProgram(), 0);
  overview->copyAction()->trigger();
  EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasFormat(ShowOverview::kProgramMime));
  EXPECT_EQ(QApplication::clipboard()->text().count('\n'), 32);

  clickLabel(17);  // 16 scenes
  overview->pasteAction()->trigger();
  for (int s = 0; s < 16; ++s)
    EXPECT_EQ(SceneAt(*image, {17, s}), Pattern(s)) << s;
  EXPECT_EQ(image->PgmEnds[17], 16);
  EXPECT_EQ(image->PgmSpeed[17], 12);
  EXPECT_EQ(image->PgmFade[17], 40);
  EXPECT_EQ(steps, QStringList{"wklej program 1 do programu 18"});
  EXPECT_EQ(notices, QStringList{"Wklejono 16 z 32 scen programu 1 : program 18 ma ich tylko 16.\n"
                                 "Koniec programu, scena 20, przeniesiono na jego ostatnią scenę, 16."});

  // Back onto a program of 32 through one of its scenes: the scenes past 16 stay.
  notices.clear();
  clickLabel(17);
  overview->copyAction()->trigger();
  SceneAt(*image, {1, 20}) = Pattern(99);
  click({1, 7});
  overview->pasteAction()->trigger();
  EXPECT_EQ(SceneAt(*image, {1, 0}), Pattern(0));
  EXPECT_EQ(SceneAt(*image, {1, 20}), Pattern(99));
  EXPECT_EQ(image->PgmEnds[1], 16);
  EXPECT_EQ(notices,
            QStringList{"Wklejono 16 scen programu 18 : sceny od 17 do 32 programu 2 są bez zmian."});
  EXPECT_EQ(steps.size(), 2);
}

TEST_F(ShowOverviewTest, PastesTextAndRefusesBadTextWithItsPlace) {
  open();
  Scene a = Pattern(1);
  Scene b = Pattern(2);
  QString text;
  for (const Scene* s : {&a, &b}) {
    QStringList fields;
    for (std::uint8_t v : *s)
      fields << QString::number(v);
    text += fields.join('\t') + "\r\n";
  }
  QApplication::clipboard()->setText(text);
  click({3, 1});
  overview->pasteAction()->trigger();
  EXPECT_EQ(SceneAt(*image, {3, 1}), a);
  EXPECT_EQ(SceneAt(*image, {3, 2}), b);
  EXPECT_EQ(steps, QStringList{"wklej 2 sceny"});
  EXPECT_TRUE(notices.isEmpty());

  const auto before = *image;
  QApplication::clipboard()->setText(text.replace(text.indexOf("\r\n") + 2, 2, "x"));  // line 2, field 1
  click({4, 0});
  overview->pasteAction()->trigger();
  EXPECT_EQ(notices, QStringList{"Wiersz 2, kolumna 1 : „x” nie jest liczbą od 0 do 255\nNic nie wklejono."});
  EXPECT_TRUE(test::SameImage(*image, before));
  EXPECT_EQ(steps.size(), 1);

  // Damaged private data is refused as well.
  auto* damaged = new QMimeData;
  damaged->setData(ShowOverview::kScenesMime, QByteArray(300, '\1'));
  QApplication::clipboard()->setMimeData(damaged);
  overview->pasteAction()->trigger();
  EXPECT_EQ(notices.back(), "Sceny w schowku są uszkodzone. Nic nie wklejono.");
  EXPECT_TRUE(test::SameImage(*image, before));
}

TEST_F(ShowOverviewTest, ClearsTheChosenScenesInOneStep) {
  SceneAt(*image, {2, 0}) = Pattern(1);
  SceneAt(*image, {2, 1}) = Pattern(2);
  open();
  click({2, 0});
  click({2, 3}, Qt::ShiftModifier);
  test::ShowActive(*overview);
  QTest::keyClick(overview->tiles(), Qt::Key_Delete);  // the action's shortcut
  EXPECT_EQ(SceneAt(*image, {2, 0}), Scene{});
  EXPECT_EQ(SceneAt(*image, {2, 1}), Scene{});
  EXPECT_TRUE(overview->marks({2, 0}).empty);
  EXPECT_TRUE(overview->programEmpty(2));
  overview->clearAction()->trigger();  // already dark
  EXPECT_EQ(steps, QStringList{"wyczyść 4 sceny"});
}

TEST_F(ShowOverviewTest, RefreshRedrawsOnlyWhatChanged) {
  open();
  const int drawn = overview->tileRenders();
  EXPECT_EQ(drawn, static_cast<int>(kSceneCount));
  overview->refresh();
  EXPECT_EQ(overview->tileRenders(), drawn);

  SceneAt(*image, {40, 7})[ChannelIndex(1, 1)] = 255;
  image->PgmEnds[40] = 8;
  overview->refresh();
  EXPECT_EQ(overview->tileRenders(), drawn + 1);
  EXPECT_EQ(overview->tileImage({40, 7}).pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_TRUE(overview->marks({40, 7}).end);
  EXPECT_FALSE(overview->programEmpty(40));
}

TEST_F(ShowOverviewTest, SetsAChannelThroughItsDialog) {
  open();
  click({20, 3});
  const struct {
    const char* field;
    const char* text;
    const char* complaint;  // nullptr: accepted
  } inputs[] = {
      {"levelField", "300", "Poziom musi zawierać się\npomiędzy 0 a 255 !"},
      {"levelField", "abc", "Poziom musi zawierać się\npomiędzy 0 a 255 !"},
      {"deviceField", "17", "Numer urządzenia musi zawierać się\npomiędzy 1 a 16 !"},
      {"sceneToField", "17", "Scena musi zawierać się\npomiędzy 2 a 16 !"},
      {"sceneFromField", "0", "Scena musi zawierać się\npomiędzy 1 a 16 !"},
      {"sceneToField", "5", nullptr},
  };
  std::map<QString, QString> defaults;
  overview->runDialog = [&](QDialog& dialog) {
    for (const char* name : {"programField", "sceneFromField", "sceneToField"})
      defaults[name] = test::Child<QLineEdit>(dialog, name)->text();
    test::Child<QLineEdit>(dialog, "deviceField")->setText("3");
    test::Child<QLineEdit>(dialog, "channelField")->setText("4");
    test::Child<QLineEdit>(dialog, "sceneFromField")->setText("2");
    for (const auto& in : inputs) {
      SCOPED_TRACE(testing::Message() << in.field << " \"" << in.text << '"');
      auto* field = test::Child<QLineEdit>(dialog, in.field);
      const QString kept = field->text();
      field->setText(in.text);
      test::Child<QPushButton>(dialog, "okButton")->click();
      if (in.complaint == nullptr) break;
      EXPECT_EQ(dialog.result(), 0);
      EXPECT_EQ(test::Child<QLabel>(dialog, "errorLabel")->text(), in.complaint);
      field->setText(in.field == std::string("levelField") ? "200" : kept);
    }
    return dialog.result();
  };
  const auto before = *image;
  overview->setChannelAction()->trigger();
  EXPECT_EQ(defaults["programField"], "21");
  EXPECT_EQ(defaults["sceneFromField"], "1");
  EXPECT_EQ(defaults["sceneToField"], "16");
  for (int s = 0; s < 16; ++s) {
    const std::uint8_t expected = s >= 1 && s <= 4 ? 200 : 0;
    EXPECT_EQ(SceneAt(*image, {20, s})[ChannelIndex(3, 4)], expected) << s;
    SceneAt(*image, {20, s})[ChannelIndex(3, 4)] = 0;
  }
  EXPECT_TRUE(test::SameImage(*image, before));
  EXPECT_EQ(steps, QStringList{"ustaw kanał"});

  // Cancelled: nothing changes.
  overview->runDialog = [](QDialog& dialog) {
    test::Child<QLineEdit>(dialog, "levelField")->setText("9");
    test::Child<QPushButton>(dialog, "cancelButton")->click();
    return dialog.result();
  };
  overview->setChannelAction()->trigger();
  EXPECT_TRUE(test::SameImage(*image, before));
  EXPECT_EQ(steps.size(), 1);
}

}  // namespace
}  // namespace kavira
