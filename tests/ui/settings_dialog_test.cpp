#include "ui/settings_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "dialog_test_support.h"
#include "find_child.h"
#include "same_image.h"

namespace kavira {
namespace {

using Key = SpecialKey;
using Mode = RunningMode;

class SettingsDialogTest : public ::testing::Test {
 protected:
  SettingsDialog& open() {
    dialog = std::make_unique<SettingsDialog>(*image, host);
    test::ShowActive(*dialog);
    return *dialog;
  }

  static void drag(QScrollBar* bar, int position) {
    bar->setSliderDown(true);
    bar->setSliderPosition(position);
    bar->setSliderDown(false);
  }
  // The dialog's controls, by their object names.
  struct KeyRow {
    QCheckBox* on;  // the key has a scene
    QLineEdit* program;
    QLineEdit* scene;
    QCheckBox* strobe;  // the key's "strobe" mode
  };
  struct CollectionRow {
    QLineEdit* number;
    std::array<QLineEdit*, 3> area;
  };
  struct ProgramRow {
    QLineEdit* number;
    QLineEdit* end;
    std::array<QRadioButton*, 4> mode;  // in the order of RunningMode
    QLineEdit* speed;
    QLineEdit* fade;
  };
  template <class W>
  W* child(const QString& name) const {
    return test::Child<W>(*dialog, name);
  }
  KeyRow keyRow(Key k) const {
    const char* names[] = {"strobe", "fog", "extra"};
    const QString key = QString::fromLatin1(names[static_cast<int>(k)]);
    return {child<QCheckBox>(key + "Switch"), child<QLineEdit>(key + "Program"),
            child<QLineEdit>(key + "Scene"), child<QCheckBox>(key + "Mode")};
  }
  CollectionRow collectionRow(int k) const {
    const QString row = QStringLiteral("collectionRow%1").arg(k);
    return {
        child<QLineEdit>(row + "Number"),
        {child<QLineEdit>(row + "Area1"), child<QLineEdit>(row + "Area2"), child<QLineEdit>(row + "Area3")}};
  }
  ProgramRow programRow(int k) const {
    const QString row = QStringLiteral("programRow%1").arg(k);
    return {child<QLineEdit>(row + "Number"),
            child<QLineEdit>(row + "End"),
            {child<QRadioButton>(row + "ModeA"), child<QRadioButton>(row + "ModeR"),
             child<QRadioButton>(row + "ModeB"), child<QRadioButton>(row + "ModeM")},
            child<QLineEdit>(row + "Speed"),
            child<QLineEdit>(row + "Fade")};
  }
  QScrollBar* programBar() const { return child<QScrollBar>("programsBar"); }
  QScrollBar* collectionBar() const { return child<QScrollBar>("collectionsBar"); }
  QCheckBox* slowModeBox() const { return child<QCheckBox>("slowModeBox"); }
  QPushButton* closeButton() const { return child<QPushButton>("closeButton"); }
  QPushButton* commitButton() const { return child<QPushButton>("commitButton"); }

  // Shows program index p in a row and returns that row.
  ProgramRow showProgram(int p) {
    if (p < dialog->pocz() || p >= dialog->pocz() + SettingsDialog::kProgramRows) {
      drag(programBar(), std::min(p, SettingsDialog::kLastFirstProgram));
    }
    return programRow(p - dialog->pocz());
  }
  CollectionRow showCollection(int c) {
    if (c < dialog->nrp() || c >= dialog->nrp() + SettingsDialog::kCollectionRows) {
      drag(collectionBar(), std::min(c, SettingsDialog::kLastFirstCollection));
    }
    return collectionRow(c - dialog->nrp());
  }
  static QRadioButton* modeButton(const ProgramRow& r, Mode m) { return r.mode[static_cast<std::size_t>(m)]; }

  std::unique_ptr<ControllerImage> image = test::ZeroImage();
  test::ScriptedHost host;
  std::unique_ptr<SettingsDialog> dialog;
};

TEST_F(SettingsDialogTest, AZeroImageOpensWithKeysOnSceneOneAndManualPrograms) {
  open();
  EXPECT_EQ(dialog->windowTitle(), "Ustawienia");
  EXPECT_TRUE(closeButton()->isDefault());  // Enter closes
  for (Key k : kSpecialKeys) {
    SCOPED_TRACE(testing::Message() << "key " << static_cast<int>(k));
    const auto& r = keyRow(k);
    EXPECT_TRUE(r.on->isChecked());
    EXPECT_TRUE(r.program->isEnabled());
    EXPECT_EQ(r.program->text(), "1");
    EXPECT_EQ(r.scene->text(), "1");
  }
  // ExtraMode 0: STROBE's mode bit is clear, so its box is checked.
  EXPECT_TRUE(keyRow(Key::Strobe).strobe->isChecked());
  EXPECT_FALSE(keyRow(Key::Fog).strobe->isChecked());
  EXPECT_FALSE(keyRow(Key::Extra).strobe->isChecked());
  EXPECT_FALSE(slowModeBox()->isChecked());
  for (int p = 0; p < static_cast<int>(kProgramCount); ++p) {
    SCOPED_TRACE(testing::Message() << "program index " << p);
    const auto& r = showProgram(p);
    EXPECT_EQ(r.number->text(), QString::number(p + 1));
    EXPECT_TRUE(modeButton(r, Mode::Manual)->isChecked());
    EXPECT_EQ(r.end->text(), "");
    EXPECT_EQ(r.speed->text(), "");
    EXPECT_EQ(r.fade->text(), "");
  }
  for (int c = 0; c < static_cast<int>(kCollectionCount); ++c) {
    SCOPED_TRACE(testing::Message() << "collection index " << c);
    const auto& r = showCollection(c);
    EXPECT_EQ(r.number->text(), QString::number(c + 1));
    for (QLineEdit* a : r.area)
      EXPECT_EQ(a->text(), "1");
  }
  // Nothing was edited: a commit stores the same image.
  const auto before = *image;
  test::Click(commitButton());
  EXPECT_EQ(dialog->result(), 1);
  EXPECT_TRUE(test::SameImage(*image, before));
}

TEST_F(SettingsDialogTest, ProgramRowsShowModeSpeedAndFade) {
  image->PgmSpeed = {0, 7, 31, 100, 254, 255};
  image->PgmFade = {10, 20, 30, 40, 50, 60};
  image->PgmEnds = {0, 3, 32, 1, 0, 0};
  image->PgmSpeed[47] = 100;
  open();
  const struct {
    Mode mode;
    const char* end;
    const char* speed;
    const char* fade;
  } rows[] = {
      {Mode::Manual, "", "", ""},    {Mode::Auto, "3", "7", "20"}, {Mode::Auto, "32", "31", "30"},
      {Mode::Auto, "1", "31", "40"}, {Mode::Midi, "", "", ""},     {Mode::Music, "", "", ""},
  };
  for (int k = 0; k < 6; ++k) {
    SCOPED_TRACE(testing::Message() << "row " << k);
    const auto& r = programRow(k);
    EXPECT_TRUE(modeButton(r, rows[k].mode)->isChecked());
    EXPECT_EQ(r.end->text(), QString::fromUtf8(rows[k].end));
    EXPECT_EQ(r.speed->text(), QString::fromUtf8(rows[k].speed));
    EXPECT_EQ(r.fade->text(), QString::fromUtf8(rows[k].fade));
  }
  test::Click(commitButton());
  EXPECT_EQ(image->PgmSpeed[3], 31);    // shown as A 31, stored as such
  EXPECT_EQ(image->PgmSpeed[47], 100);  // never shown: kept
  EXPECT_EQ(image->PgmFade[0], 0);      // an R row read back with its empty fade field
  EXPECT_EQ(image->PgmFade[4], 0);
  EXPECT_EQ(image->PgmFade[1], 20);
}

TEST_F(SettingsDialogTest, ProgramFieldsAreChecked) {
  const struct {
    int program;  // index
    const char* end;
    Mode mode;
    const char* speed;
    const char* fade;
    int refused;  // 0 none, 1 end, 2 speed, 3 fade
    std::uint8_t storedEnd, storedSpeed, storedFade;
  } cases[] = {
      {47, "15", Mode::Manual, "", "", 1, 0, 0, 0},     {47, "14", Mode::Manual, "", "", 0, 14, 0, 0},
      {15, "32", Mode::Music, "", "", 0, 32, 255, 0},   {16, "17", Mode::Manual, "", "", 1, 0, 0, 0},
      {16, "16", Mode::Midi, "", "", 0, 16, 254, 0},    {3, "abc", Mode::Manual, "", "", 1, 0, 0, 0},
      {3, "", Mode::Auto, "", "", 0, 0, 0, 0},  // "A" with no speed stores 0: manual next time
      {3, "0", Mode::Auto, "31", "255", 0, 0, 31, 255}, {3, "", Mode::Auto, "32", "", 2, 0, 0, 0},
      {3, "", Mode::Auto, "x", "", 2, 0, 0, 0},         {3, "", Mode::Auto, "5", "256", 3, 0, 0, 0},
      {3, "", Mode::Manual, "99", "-1", 3, 0, 0, 0},    {3, "", Mode::Manual, "99", "7", 0, 0, 0, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "program index " << c.program << " end \"" << c.end << "\" mode "
                                    << static_cast<int>(c.mode) << " speed \"" << c.speed << "\" fade \""
                                    << c.fade << '"');
    image = test::ZeroImage();
    host.boxes.clear();
    open();
    const auto& r = showProgram(c.program);
    test::Retype(r.end, QString::fromUtf8(c.end));
    modeButton(r, c.mode)->click();
    test::Retype(r.speed, QString::fromUtf8(c.speed));
    test::Retype(r.fade, QString::fromUtf8(c.fade));
    const auto before = *image;
    test::Click(commitButton());
    const auto p = static_cast<std::size_t>(c.program);
    if (c.refused != 0) {
      EXPECT_EQ(host.boxes.size(), 1U);
      EXPECT_EQ(host.firstBox().text, "Nieprawidłowa wartośc !");
      QLineEdit* field = c.refused == 1 ? r.end : c.refused == 2 ? r.speed : r.fade;
      EXPECT_TRUE(field->hasFocus());
      EXPECT_TRUE(dialog->isVisible());
      EXPECT_TRUE(test::SameImage(*image, before));
      // Nor does the table scroll away from the bad field.
      const int pocz = dialog->pocz();
      QTest::keyClick(programBar(), Qt::Key_PageUp);
      EXPECT_EQ(dialog->pocz(), pocz);
    } else {
      EXPECT_TRUE(host.boxes.empty());
      EXPECT_EQ(image->PgmEnds[p], c.storedEnd);
      EXPECT_EQ(image->PgmSpeed[p], c.storedSpeed);
      EXPECT_EQ(image->PgmFade[p], c.storedFade);
    }
  }
}

TEST_F(SettingsDialogTest, CollectionFieldsTakeProgramsOneToFortyEight) {
  const struct {
    const char* text;
    bool refused;
    std::uint8_t stored;
  } cases[] = {
      {"49", true, 0},     {"300", true, 0}, {"", false, 255},  {"0", false, 255},
      {"abc", false, 255}, {"1", false, 0},  {"48", false, 47}, {" 12 ", false, 11},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << '"');
    image = test::ZeroImage();
    host.boxes.clear();
    open();
    const auto& r = showCollection(14);
    test::Retype(r.area[1], QString::fromUtf8(c.text));
    test::Click(commitButton());
    if (c.refused) {
      EXPECT_EQ(host.boxes.size(), 1U);
      EXPECT_EQ(host.firstBox().text, "Nieprawidłowa wartośc !");
      EXPECT_TRUE(r.area[1]->hasFocus());
      EXPECT_EQ(image->Shows[1][14], 0);
    } else {
      EXPECT_TRUE(host.boxes.empty());
      EXPECT_EQ(image->Shows[1][14], c.stored);
    }
  }
}

TEST_F(SettingsDialogTest, CollectionsShowProgramNumbersAndEmptySlots) {
  image->Shows[0][0] = 255;
  image->Shows[1][0] = 47;
  image->Shows[2][0] = 9;
  open();
  EXPECT_EQ(collectionRow(0).area[0]->text(), "");
  EXPECT_EQ(collectionRow(0).area[1]->text(), "48");
  EXPECT_EQ(collectionRow(0).area[2]->text(), "10");
}

TEST_F(SettingsDialogTest, ScrollBarsStayWithinTheirTables) {
  const struct {
    bool programs;
    int from;
    Qt::Key key;
    int to;
  } cases[] = {
      {true, 0, Qt::Key_PageDown, 3},  {true, 41, Qt::Key_PageDown, 42},  {true, 42, Qt::Key_Down, 42},
      {true, 2, Qt::Key_PageUp, 0},    {true, 10, Qt::Key_Up, 9},         {true, 10, Qt::Key_Home, 10},
      {false, 0, Qt::Key_PageDown, 1}, {false, 12, Qt::Key_PageDown, 12}, {false, 5, Qt::Key_PageUp, 4},
      {false, 0, Qt::Key_Up, 0},       {false, 7, Qt::Key_End, 7},
  };
  open();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.programs ? "programs" : "collections") << " from " << c.from
                                    << " key " << c.key);
    QScrollBar* bar = c.programs ? programBar() : collectionBar();
    drag(bar, c.from);
    QTest::keyClick(bar, c.key);
    const int first = c.programs ? dialog->pocz() : dialog->nrp();
    EXPECT_EQ(first, c.to);
    EXPECT_EQ(bar->value(), c.to);
    QLineEdit* number = c.programs ? programRow(0).number : collectionRow(0).number;
    EXPECT_EQ(number->text(), QString::number(c.to + 1));
  }
}

TEST_F(SettingsDialogTest, SpecialKeys) {
  image->StrobScene = 1021;  // program 48 scene 14
  image->FogScene = kNoScene;
  image->ExtraScene = 1022;  // beyond the last scene
  open();
  const auto& strobe = keyRow(Key::Strobe);
  const auto& fog = keyRow(Key::Fog);
  const auto& extra = keyRow(Key::Extra);
  EXPECT_EQ(strobe.program->text(), "48");
  EXPECT_EQ(strobe.scene->text(), "14");
  EXPECT_FALSE(fog.on->isChecked());
  EXPECT_FALSE(fog.program->isEnabled());
  EXPECT_EQ(fog.program->text(), "");
  EXPECT_EQ(extra.program->text(), "65536");
  EXPECT_EQ(extra.scene->text(), "65536");

  // Switching a key on offers program 1, scene 1; switching it off empties the fields.
  test::Click(fog.on);
  EXPECT_TRUE(fog.program->isEnabled());
  EXPECT_EQ(fog.program->text(), "1");
  EXPECT_EQ(fog.scene->text(), "1");
  test::Click(strobe.on);
  EXPECT_FALSE(strobe.program->isEnabled());
  EXPECT_EQ(strobe.program->text(), "");
  EXPECT_EQ(strobe.scene->text(), "");

  // The scene beyond the last one is refused on its program field; nothing is stored.
  const auto before = *image;
  test::Click(commitButton());
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Nieprawidłowa wartośc !");
  EXPECT_TRUE(extra.program->hasFocus());
  EXPECT_TRUE(test::SameImage(*image, before));

  const struct {
    const char* program;
    const char* scene;
    bool onProgram;
  } refused[] = {
      {"48", "15", false}, {"17", "17", false}, {"49", "1", true}, {"", "1", true}, {"1", "", false}};
  for (const auto& c : refused) {
    SCOPED_TRACE(testing::Message() << "program \"" << c.program << "\" scene \"" << c.scene << '"');
    host.boxes.clear();
    test::Retype(extra.program, QString::fromUtf8(c.program));
    test::Retype(extra.scene, QString::fromUtf8(c.scene));
    test::Click(commitButton());
    EXPECT_EQ(host.boxes.size(), 1U);
    EXPECT_TRUE((c.onProgram ? extra.program : extra.scene)->hasFocus());
    EXPECT_TRUE(test::SameImage(*image, before));
  }
  test::Retype(extra.program, QStringLiteral("16"));
  test::Retype(extra.scene, QStringLiteral("32"));
  test::Retype(fog.program, QStringLiteral("17"));
  test::Click(commitButton());
  EXPECT_EQ(image->StrobScene, kNoScene);
  EXPECT_EQ(image->FogScene, 512);
  EXPECT_EQ(image->ExtraScene, 511);
}

TEST_F(SettingsDialogTest, ModeBoxesAndSlowMode) {
  // Opening and committing keeps ExtraMode, whatever its bits.
  for (std::uint16_t mode : {0x0000, 0x0001, 0x0002, 0x0004, 0x0005, 0x0007, 0x00FB, 0xFFFF, 0x8000}) {
    SCOPED_TRACE(testing::Message() << "ExtraMode 0x" << std::hex << mode);
    image = test::ZeroImage();
    image->ExtraMode = mode;
    open();
    EXPECT_EQ(keyRow(Key::Strobe).strobe->isChecked(), (mode & 1) == 0);
    EXPECT_EQ(keyRow(Key::Fog).strobe->isChecked(), (mode & 2) != 0);
    EXPECT_EQ(keyRow(Key::Extra).strobe->isChecked(), (mode & 4) != 0);
    test::Click(commitButton());
    EXPECT_EQ(image->ExtraMode, mode);
  }
  // Each box goes to its own bit.
  const struct {
    bool strobe, fog, extra;
    std::uint16_t stored;
  } boxes[] = {
      {true, false, false, 0x0000}, {false, false, false, 0x0001}, {true, true, false, 0x0002},
      {true, false, true, 0x0004},  {false, true, true, 0x0007},
  };
  for (const auto& b : boxes) {
    SCOPED_TRACE(testing::Message() << "STROBE " << b.strobe << " FOG " << b.fog << " EXTRA " << b.extra);
    image = test::ZeroImage();
    image->ExtraMode = 0x0030;
    open();
    keyRow(Key::Strobe).strobe->setChecked(b.strobe);
    keyRow(Key::Fog).strobe->setChecked(b.fog);
    keyRow(Key::Extra).strobe->setChecked(b.extra);
    test::Click(commitButton());
    EXPECT_EQ(image->ExtraMode, 0x0030 | b.stored);
  }
  const struct {
    std::uint16_t before;
    bool shown;
    std::uint16_t committed;
  } slow[] = {{0, false, 0}, {0xFFFF, true, 0xFFFF}, {1, true, 0xFFFF}};
  for (const auto& s : slow) {
    SCOPED_TRACE(testing::Message() << "SlowMode " << s.before);
    image = test::ZeroImage();
    image->SlowMode = s.before;
    open();
    EXPECT_EQ(slowModeBox()->isChecked(), s.shown);
    test::Click(commitButton());
    EXPECT_EQ(image->SlowMode, s.committed);
  }
}

TEST_F(SettingsDialogTest, AFailedCommitStoresNothing) {
  image->Shows[2][15] = 60;  // an invalid entry in a collection never shown
  open();
  // Edits everywhere the commit stores ...
  test::Click(keyRow(Key::Strobe).on);
  keyRow(Key::Fog).strobe->setChecked(true);
  slowModeBox()->setChecked(true);
  const auto& row = programRow(1);
  modeButton(row, Mode::Auto)->click();
  test::Retype(row.speed, QStringLiteral("9"));
  test::Retype(collectionRow(0).area[0], QStringLiteral("5"));
  const auto before = *image;

  // ... a bad field after them,
  test::Retype(keyRow(Key::Extra).scene, QStringLiteral("40"));
  test::Click(commitButton());
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_TRUE(test::SameImage(*image, before));
  EXPECT_TRUE(dialog->isVisible());

  // ... or "No" to removing the invalid collection entry.
  test::Retype(keyRow(Key::Extra).scene, QStringLiteral("4"));
  host.boxes.clear();
  host.answers = {Answer::No};
  test::Click(commitButton());
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Czy usuwać błędne programy z kolekcji ?");
  EXPECT_EQ(host.boxes[0].caption, "Nieprawidłowa wartośc !");
  EXPECT_EQ(host.boxes[0].buttons, Buttons::YesNo);
  EXPECT_EQ(host.boxes[0].icon, Icon::Question);
  EXPECT_TRUE(test::SameImage(*image, before));
  EXPECT_TRUE(dialog->isVisible());

  // "Yes" empties every invalid entry and stores everything.
  image->Shows[0][3] = 200;  // not in the dialog's copy: the copy was taken at opening
  host.boxes.clear();
  host.answers = {Answer::Yes};
  test::Click(commitButton());
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), 1);
  EXPECT_EQ(image->Shows[2][15], 255);
  EXPECT_EQ(image->Shows[0][0], 4);
  EXPECT_EQ(image->Shows[0][3], 0);
  EXPECT_EQ(image->StrobScene, kNoScene);
  EXPECT_EQ(image->ExtraScene, 3);
  EXPECT_EQ(image->ExtraMode, 0x0002);
  EXPECT_EQ(image->SlowMode, 0xFFFF);
  EXPECT_EQ(image->PgmSpeed[1], 9);
}

TEST_F(SettingsDialogTest, KoniecStoresNothing) {
  open();
  test::Click(keyRow(Key::Fog).on);
  test::Retype(programRow(0).end, QStringLiteral("5"));
  const auto before = *image;
  test::Click(closeButton());
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), 0);
  EXPECT_TRUE(test::SameImage(*image, before));
}

}  // namespace
}  // namespace kavira
