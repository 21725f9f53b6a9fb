#include "ui/midi_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QScrollBar>

#include "dialog_test_support.h"
#include "find_child.h"

namespace kavira {
namespace {

// MidiStat words written out: AScena in bits 0-9, TrigK3 0x0400, TrigK2 0x0800, TrigK1 0x1000,
// Assoc3 0x2000, Assoc2 0x4000, Assoc1 0x8000.
constexpr std::uint16_t kTrig1 = 0x1000, kTrig2 = 0x0800, kTrig3 = 0x0400;
constexpr std::uint16_t kAssoc1 = 0x8000, kAssoc2 = 0x4000, kAssoc3 = 0x2000;

class MidiDialogTest : public ::testing::Test {
 protected:
  MidiDialog& open() {
    dialog = std::make_unique<MidiDialog>(*image, host);
    test::ShowActive(*dialog);
    return *dialog;
  }

  // The dialog's controls, by their object names.
  struct Row {
    QLineEdit* key;
    QLineEdit* note;
    std::array<QCheckBox*, 3> trigger;  // areas 1-3
    std::array<QCheckBox*, 3> assign;
    QLineEdit* program;
    QLineEdit* scene;
  };
  template <class W>
  W* child(const QString& name) const {
    return test::Child<W>(*dialog, name);
  }
  Row row(int k) const {
    const QString row = QStringLiteral("row%1").arg(k);
    return {child<QLineEdit>(row + "Key"),
            child<QLineEdit>(row + "Note"),
            {child<QCheckBox>(row + "Trigger1"), child<QCheckBox>(row + "Trigger2"),
             child<QCheckBox>(row + "Trigger3")},
            {child<QCheckBox>(row + "Assign1"), child<QCheckBox>(row + "Assign2"),
             child<QCheckBox>(row + "Assign3")},
            child<QLineEdit>(row + "Program"),
            child<QLineEdit>(row + "Scene")};
  }
  QScrollBar* scrollBar() const { return child<QScrollBar>("keysBar"); }
  QPushButton* button(const char* name) const { return child<QPushButton>(QString::fromLatin1(name)); }

  // Drags the thumb so that `first` is the key in the first row.
  void scrollTo(int first) {
    QScrollBar* bar = scrollBar();
    bar->setSliderDown(true);
    bar->setSliderPosition(first);
    bar->setSliderDown(false);
  }

  Row rowOfKey(int key) const { return row(key - dialog->pocz()); }

  void setRow(int key, const char* program, const char* scene, std::array<bool, 3> trigger,
              std::array<bool, 3> assign) {
    const Row r = rowOfKey(key);
    test::Retype(r.program, QString::fromUtf8(program));
    test::Retype(r.scene, QString::fromUtf8(scene));
    for (std::size_t a = 0; a < 3; ++a) {
      r.trigger[a]->setChecked(trigger[a]);
      r.assign[a]->setChecked(assign[a]);
    }
  }

  std::unique_ptr<ControllerImage> image = test::ZeroImage();
  test::ScriptedHost host;
  std::unique_ptr<MidiDialog> dialog;
};

TEST_F(MidiDialogTest, OpensAtKeySixtyWithNoteNames) {
  open();
  EXPECT_EQ(dialog->windowTitle(), "Edycja przypisań MIDI");
  EXPECT_EQ(dialog->pocz(), 60);
  EXPECT_EQ(scrollBar()->value(), 60);
  EXPECT_EQ(row(0).key->text(), "60");
  EXPECT_EQ(row(0).note->text(), "C / 4");
  EXPECT_EQ(row(5).key->text(), "65");
  EXPECT_TRUE(button("closeButton")->isDefault());  // Enter closes

  const struct {
    int key;
    const char* note;
  } notes[] = {{0, "C / -1"}, {11, "B / -1"}, {12, "C / 0"}, {61, "C# / 4"}, {70, "A# / 4"}, {127, "G / 9"}};
  for (const auto& n : notes) {
    SCOPED_TRACE(testing::Message() << "key " << n.key);
    scrollTo(std::min(n.key, MidiDialog::kLastFirstKey));
    EXPECT_EQ(rowOfKey(n.key).key->text(), QString::number(n.key));
    EXPECT_EQ(rowOfKey(n.key).note->text(), QString::fromUtf8(n.note));
  }
}

TEST_F(MidiDialogTest, RowsShowTheStoredKeys) {
  image->Midi[60].word = 0x8600;  // program 17 scene 1 (512), triggers in area 3, assigned in area 1
  image->Midi[61].word = 0x53FD;  // program 48 scene 14 (1021), TrigK1, Assoc2
  image->Midi[62].word = 0x03FE;  // 1022: beyond the last scene
  image->Midi[63].word = 0x0000;  // no scene: program 1 scene 1
  open();
  const struct {
    int key;
    const char* program;
    const char* scene;
    std::array<bool, 3> trigger, assign;
  } rows[] = {
      {60, "17", "1", {false, false, true}, {true, false, false}},
      {61, "48", "14", {true, false, false}, {false, true, false}},
      {62, "65536", "65536", {false, false, false}, {false, false, false}},
      {63, "1", "1", {false, false, false}, {false, false, false}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "key " << r.key);
    const Row row = rowOfKey(r.key);
    EXPECT_EQ(row.program->text(), QString::fromUtf8(r.program));
    EXPECT_EQ(row.scene->text(), QString::fromUtf8(r.scene));
    for (std::size_t a = 0; a < 3; ++a) {
      EXPECT_EQ(row.trigger[a]->isChecked(), r.trigger[a]) << "area " << a + 1;
      EXPECT_EQ(row.assign[a]->isChecked(), r.assign[a]) << "area " << a + 1;
    }
  }
  // The key beyond the last scene is refused until corrected, so nothing can be committed.
  test::Click(button("commitButton"));
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_TRUE(rowOfKey(62).program->hasFocus());
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(MidiDialogTest, CommitStoresTheRowsOfEveryPageShown) {
  image->Midi[100].word = 0x1234;  // never shown: kept as it is
  open();
  setRow(61, "48", "14", {true, true, true}, {true, true, true});
  scrollTo(11);
  setRow(11, "2", "3", {true, false, false}, {false, false, true});
  setRow(12, "17", "1", {false, false, true}, {true, false, false});
  setRow(13, "16", "32", {false, true, false}, {false, true, false});
  test::Click(button("commitButton"));
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), 1);
  EXPECT_EQ(image->Midi[61].word, kTrig1 | kTrig2 | kTrig3 | kAssoc1 | kAssoc2 | kAssoc3 | 1021);
  EXPECT_EQ(image->Midi[11].word, kTrig1 | kAssoc3 | 34);
  EXPECT_EQ(image->Midi[12].word, kTrig3 | kAssoc1 | 512);
  EXPECT_EQ(image->Midi[13].word, kTrig2 | kAssoc2 | 511);
  EXPECT_EQ(image->Midi[100].word, 0x1234);
  EXPECT_EQ(image->Midi[60].word, 0);
}

TEST_F(MidiDialogTest, EmptyFieldsMeanNoScene) {
  const struct {
    const char* program;
    const char* scene;
    std::uint16_t stored;  // boxes: all triggers and all assignments checked
  } cases[] = {
      {"", "", kTrig1 | kTrig2 | kTrig3},                                 // assignments cleared
      {"0", "abc", kTrig1 | kTrig2 | kTrig3},                             // not a number either
      {"", "0", kTrig1 | kTrig2 | kTrig3 | kAssoc1 | kAssoc2 | kAssoc3},  // a number: kept
      {"0", "0", kTrig1 | kTrig2 | kTrig3 | kAssoc1 | kAssoc2 | kAssoc3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "program \"" << c.program << "\" scene \"" << c.scene << '"');
    image->Midi[64].word = 0x0155;
    open();
    setRow(64, c.program, c.scene, {true, true, true}, {true, true, true});
    test::Click(button("commitButton"));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(image->Midi[64].word, c.stored);
  }
}

TEST_F(MidiDialogTest, ScenesOutsideTheProgramAreRefused) {
  const struct {
    const char* program;
    const char* scene;
    bool onProgram;
  } cases[] = {
      {"48", "15", false}, {"17", "17", false}, {"1", "33", false}, {"5", "", false},
      {"5", "0", false},   {"49", "1", true},   {"", "3", true},    {"0", "1", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "program \"" << c.program << "\" scene \"" << c.scene << '"');
    host.boxes.clear();
    open();
    setRow(63, c.program, c.scene, {true, false, false}, {false, false, false});
    setRow(62, "3", "3", {false, false, false}, {false, false, false});
    test::Click(button("commitButton"));
    EXPECT_EQ(host.boxes.size(), 1U);
    EXPECT_EQ(host.firstBox().text, "Nieprawidłowa wartośc !");
    EXPECT_EQ(host.firstBox().caption, "Ostrzeżenie :");
    QLineEdit* field = c.onProgram ? rowOfKey(63).program : rowOfKey(63).scene;
    EXPECT_TRUE(field->hasFocus());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(image->Midi[63].word, 0);
    // Rows above the failing one were read back; the failing row was not.
    EXPECT_EQ(dialog->MidiCp()[62].AScena(), 66U);
    EXPECT_EQ(dialog->MidiCp()[63].word, 0);
    // Nor does the dialog scroll away from the bad row.
    QTest::keyClick(scrollBar(), Qt::Key_PageDown);
    EXPECT_EQ(dialog->pocz(), 60);
  }
  open();
  setRow(63, "16", "32", {false, false, false}, {false, false, false});
  test::Click(button("commitButton"));
  EXPECT_EQ(image->Midi[63].word, 511);
}

TEST_F(MidiDialogTest, ScrollingStaysWithinTheKeys) {
  const struct {
    int from;
    Qt::Key key;
    int to;
  } cases[] = {
      {60, Qt::Key_PageDown, 66}, {120, Qt::Key_PageDown, 122}, {122, Qt::Key_Down, 122},
      {60, Qt::Key_PageUp, 54},   {3, Qt::Key_PageUp, 0},       {0, Qt::Key_Up, 0},
      {60, Qt::Key_Down, 61},     {60, Qt::Key_Up, 59},         {60, Qt::Key_Home, 60},
      {60, Qt::Key_End, 60},
  };
  open();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "from " << c.from << " key " << c.key);
    scrollTo(c.from);
    QTest::keyClick(scrollBar(), c.key);
    EXPECT_EQ(dialog->pocz(), c.to);
    EXPECT_EQ(scrollBar()->value(), c.to);
    EXPECT_EQ(row(0).key->text(), QString::number(c.to));
  }
  scrollTo(122);
  EXPECT_EQ(row(5).key->text(), "127");
}

TEST_F(MidiDialogTest, WithdrawingUndoesEditsOnEveryPage) {
  image->Midi[60].word = 0x8600;
  image->Midi[100].word = kTrig2 | 40;
  open();
  setRow(60, "3", "4", {true, true, true}, {false, false, false});
  scrollTo(100);  // reads the edited row back into the copy
  setRow(100, "", "", {false, false, false}, {true, true, true});
  scrollTo(98);
  ASSERT_EQ(dialog->MidiCp()[100].word, 0);
  test::Click(button("revertButton"));
  EXPECT_EQ(dialog->pocz(), 98);  // at the same keys
  EXPECT_TRUE(dialog->MidiCp() == image->Midi);
  EXPECT_EQ(rowOfKey(100).program->text(), "2");  // 40 = program 2, scene 9
  EXPECT_EQ(rowOfKey(100).scene->text(), "9");
  EXPECT_TRUE(rowOfKey(100).trigger[1]->isChecked());
  const auto before = image->Midi;
  test::Click(button("commitButton"));
  EXPECT_TRUE(image->Midi == before);
}

TEST_F(MidiDialogTest, KoniecLeavesTheImageAlone) {
  open();
  setRow(60, "3", "4", {true, true, true}, {true, true, true});
  scrollTo(0);
  test::Click(button("closeButton"));
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), 0);
  EXPECT_EQ(image->Midi[60].word, 0);
}

}  // namespace
}  // namespace kavira
