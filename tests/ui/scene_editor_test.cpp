#include "ui/scene_editor_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>

#include "dialog_test_support.h"
#include "find_child.h"
#include "model/numbering.h"
#include "same_image.h"

namespace kavira {
namespace {

using Mode = RunningMode;
constexpr int kXf = SceneEditorDialog::kXf;
constexpr int kSp = SceneEditorDialog::kSp;

// Level of channel c (1-16) of device d (1-16) in absolute scene a of the test pattern: every byte of
// the image differs from its neighbours, so a level taken from the wrong place shows.
std::uint8_t Level(unsigned a, unsigned d, unsigned c) {
  return static_cast<std::uint8_t>(a * 7 + d * 16 + c);
}

class SceneEditorTest : public ::testing::Test {
 protected:
  SceneEditorTest() {
    for (unsigned a = 0; a < kSceneCount; ++a) {
      for (unsigned d = 1; d <= 16; ++d) {
        for (unsigned c = 1; c <= 16; ++c)
          image->Sceny[a][ChannelIndex(d, c)] = Level(a, d, c);
      }
    }
  }

  SceneEditorDialog& open() {
    dialog = std::make_unique<SceneEditorDialog>(*image, host);
    dialog->setDeviceClipboard(clipboard);  // each test starts with nothing copied
    test::ShowActive(*dialog);
    return *dialog;
  }

  // Program and scene typed into their fields, then "Ładuj" clicked.
  void loadAt(int pgm, int scena) {
    test::Retype(programField(), QString::number(pgm));
    test::Retype(sceneField(), QString::number(scena));
    test::Click(button("loadButton"));
  }

  void checkDevices(std::initializer_list<int> devices) {
    for (int d = 1; d <= 16; ++d)
      deviceBox(d)->setChecked(false);
    for (int d : devices)
      deviceBox(d)->setChecked(true);
  }

  // The dialog's controls, by their object names.
  QLineEdit* programField() const { return test::Child<QLineEdit>(*dialog, "programField"); }
  QLineEdit* sceneField() const { return test::Child<QLineEdit>(*dialog, "sceneField"); }
  QCheckBox* endBox() const { return test::Child<QCheckBox>(*dialog, "endBox"); }
  QAbstractButton* button(const char* name) const {
    return test::Child<QAbstractButton>(*dialog, QString::fromLatin1(name));
  }
  QCheckBox* deviceBox(int d) const {
    return test::Child<QCheckBox>(*dialog, QStringLiteral("device%1").arg(d));
  }
  QScrollBar* fader(int i) const {
    return test::Child<QScrollBar>(*dialog, QStringLiteral("fader%1").arg(i));
  }
  QLineEdit* valueField(int i) const {
    return test::Child<QLineEdit>(*dialog, QStringLiteral("value%1").arg(i));
  }
  QRadioButton* modeButton(Mode m) const {
    const char* names[] = {"modeAuto", "modeManual", "modeMusic", "modeMidi"};
    return test::Child<QRadioButton>(*dialog, QString::fromLatin1(names[static_cast<int>(m)]));
  }

  QString valueText(int i) const { return valueField(i)->text(); }
  // The value a slider shows: the top is the maximum.
  int sliderValue(int i) const { return (i == kSp ? 31 : 255) - fader(i)->value(); }

  std::unique_ptr<ControllerImage> image = test::ZeroImage();
  test::ScriptedHost host;
  SceneEditorDialog::DeviceClipboard clipboard;
  std::unique_ptr<SceneEditorDialog> dialog;
};

TEST_F(SceneEditorTest, OpensOnProgramOneSceneOneDeviceOne) {
  image->PgmFade[0] = 77;
  image->PgmSpeed[0] = 12;
  open();
  EXPECT_EQ(host.status[kPartArea], "\tEdycja");
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(programField()->text(), "1");
  EXPECT_EQ(sceneField()->text(), "1");
  EXPECT_TRUE(programField()->hasFocus());
  for (int d = 1; d <= 16; ++d)
    EXPECT_EQ(deviceBox(d)->isChecked(), d == 1) << d;
  for (int c = 0; c < 16; ++c) {
    EXPECT_EQ(valueText(c), QString::number(Level(0, 1, static_cast<unsigned>(c + 1)))) << c;
    EXPECT_EQ(sliderValue(c), Level(0, 1, static_cast<unsigned>(c + 1))) << c;
  }
  EXPECT_EQ(valueText(kXf), "77");
  EXPECT_TRUE(modeButton(Mode::Auto)->isChecked());
  EXPECT_EQ(valueText(kSp), "12");
  EXPECT_EQ(sliderValue(kSp), 12);
  EXPECT_EQ(dialog->state().ScAbs, 0);
}

TEST_F(SceneEditorTest, LoadTakesOneDeviceAndWarnsWhenTheChoiceIsAmbiguous) {
  const struct {
    std::initializer_list<int> checked;
    int loaded;
    const char* warning;  // nullptr: no box
  } cases[] = {
      {{2}, 2, nullptr},
      {{16}, 16, nullptr},
      {{4, 7}, 4, "Niejednoznaczny wybór urządzeń !\nZostaną załadowane nastawy urządzenia 4-go !"},
      {{}, 1, "Niejednoznaczny wybór urządzeń !\nZostaną załadowane nastawy urządzenia 1-go !"},
      {{9, 12, 16}, 9, "Niejednoznaczny wybór urządzeń !\nZostaną załadowane nastawy urządzenia 9-go !"},
  };
  open();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "loads device " << c.loaded);
    host.boxes.clear();
    checkDevices(c.checked);
    loadAt(17, 3);  // absolute scene 514
    if (c.warning == nullptr) {
      EXPECT_TRUE(host.boxes.empty());
    } else {
      EXPECT_EQ(host.boxes.size(), 1U);
      EXPECT_EQ(host.firstBox().text, c.warning);
      EXPECT_EQ(host.firstBox().caption, "Ostrzeżenie");
      EXPECT_EQ(host.firstBox().icon, Icon::Exclamation);
    }
    EXPECT_EQ(dialog->state().ScAbs, 514);
    for (int ch = 0; ch < 16; ++ch) {
      EXPECT_EQ(dialog->state().Wart[static_cast<std::size_t>(ch)],
                Level(514, static_cast<unsigned>(c.loaded), static_cast<unsigned>(ch + 1)))
          << "channel " << ch + 1;
    }
  }
}

TEST_F(SceneEditorTest, ProgramAndSceneOutsideTheirRangesAreRefusedOnTheirField) {
  const struct {
    const char* program;
    const char* scene;
    bool programRefused;  // else the scene field
  } refused[] = {
      {"0", "1", true},    {"49", "1", true},   {"", "1", true},     {"abc", "1", true}, {"-1", "1", true},
      {"48", "15", false}, {"17", "17", false}, {"16", "33", false}, {"1", "0", false},  {"1", "", false},
  };
  open();
  for (const auto& c : refused) {
    SCOPED_TRACE(testing::Message() << "program \"" << c.program << "\" scene \"" << c.scene << '"');
    host.boxes.clear();
    test::Retype(programField(), QString::fromUtf8(c.program));
    test::Retype(sceneField(), QString::fromUtf8(c.scene));
    for (const char* name : {"loadButton", "commitButton"}) {
      SCOPED_TRACE(name);
      const auto before = *image;
      host.boxes.clear();
      test::Click(button(name));
      EXPECT_EQ(host.boxes.size(), 1U);
      EXPECT_EQ(host.firstBox().text, "Nieprawidłowa wartośc !");
      EXPECT_EQ(host.firstBox().caption, "Ostrzeżenie :");
      QLineEdit* field = c.programRefused ? programField() : sceneField();
      EXPECT_TRUE(field->hasFocus());
      EXPECT_EQ(field->selectedText(), field->text());
      EXPECT_TRUE(test::SameImage(*image, before));
      EXPECT_EQ(dialog->state().Pgm, 1);
    }
  }
  // The last scene of each kind of program is taken.
  const struct {
    int pgm, scena, abs;
  } accepted[] = {{16, 32, 511}, {17, 16, 527}, {48, 14, 1021}, {1, 1, 0}};
  for (const auto& c : accepted) {
    SCOPED_TRACE(testing::Message() << "program " << c.pgm << " scene " << c.scena);
    host.boxes.clear();
    loadAt(c.pgm, c.scena);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(dialog->state().ScAbs, c.abs);
    EXPECT_EQ(dialog->state().Pgm, c.pgm);
    EXPECT_EQ(dialog->state().Scena, c.scena);
  }
}

TEST_F(SceneEditorTest, LoadShowsTheRunningMode) {
  const struct {
    std::uint8_t speed;
    Mode mode;
    int sp;
  } cases[] = {
      {0, Mode::Manual, 0},  {1, Mode::Auto, 1},    {31, Mode::Auto, 31}, {32, Mode::Auto, 31},
      {100, Mode::Auto, 31}, {253, Mode::Auto, 31}, {254, Mode::Midi, 0}, {255, Mode::Music, 0},
  };
  open();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "PgmSpeed " << int{c.speed});
    image->PgmSpeed[4] = c.speed;
    loadAt(5, 1);
    EXPECT_TRUE(modeButton(c.mode)->isChecked());
    EXPECT_EQ(valueText(kSp), QString::number(c.sp));
    EXPECT_EQ(dialog->state().Wart[kSp], c.sp);
  }
}

TEST_F(SceneEditorTest, CommitWritesTheLevelsIntoEveryCheckedDevice) {
  open();
  loadAt(2, 3);  // absolute scene 34, device 1
  for (int c = 0; c < 16; ++c)
    test::Retype(valueField(c), QString::number(200 + c));
  checkDevices({2, 5, 9});
  const auto before = *image;
  test::Click(button("commitButton"));
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_TRUE(dialog->isVisible());  // the editor stays open after a commit
  for (unsigned d = 1; d <= 16; ++d) {
    const bool written = d == 2 || d == 5 || d == 9;
    std::array<std::uint8_t, 16> levels{};
    std::array<std::uint8_t, 16> expected{};
    for (unsigned c = 1; c <= 16; ++c) {
      levels[c - 1] = image->Sceny[34][ChannelIndex(d, c)];
      expected[c - 1] = written ? static_cast<std::uint8_t>(199 + c) : Level(34, d, c);
    }
    EXPECT_EQ(levels, expected) << "device " << d;
  }
  // Nothing else of the scenes moved.
  auto scenes = image->Sceny;
  scenes[34] = before.Sceny[34];
  EXPECT_TRUE(scenes == before.Sceny);
}

TEST_F(SceneEditorTest, EveryLoadShowsTheSceneTheFieldsName) {
  open();
  const struct {
    const char* how;
    int pgm, scena, abs;
  } cases[] = {
      {"Enter in the scene field", 17, 3, 514},
      {"Enter in the program field", 20, 2, 561},
      {"Ładuj", 48, 14, 1021},
      {"showScene", 2, 3, 34},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    checkDevices({4});
    const std::string how = c.how;
    if (how == "showScene") {
      EXPECT_TRUE(dialog->showScene(c.pgm, c.scena));
    } else {
      test::Retype(programField(), QString::number(c.pgm));
      test::Retype(sceneField(), QString::number(c.scena));
      if (how == "Ładuj") {
        test::Click(button("loadButton"));
      } else {
        QTest::keyClick(how == "Enter in the scene field" ? sceneField() : programField(), Qt::Key_Return);
      }
    }
    EXPECT_EQ(programField()->text(), QString::number(c.pgm));
    EXPECT_EQ(sceneField()->text(), QString::number(c.scena));
    EXPECT_EQ(dialog->state().ScAbs, c.abs);
    for (int ch = 0; ch < 16; ++ch) {
      const int level = Level(static_cast<unsigned>(c.abs), 4, static_cast<unsigned>(ch + 1));
      EXPECT_EQ(sliderValue(ch), level) << "channel " << ch + 1;
      EXPECT_EQ(valueText(ch), QString::number(level)) << "channel " << ch + 1;
    }
    EXPECT_TRUE(button("commitButton")->isEnabled());
  }
  EXPECT_TRUE(host.boxes.empty());
  // A bad number gets the refusal on its field and nothing is loaded.
  test::Retype(programField(), QStringLiteral("49"));
  QTest::keyClick(programField(), Qt::Key_Return);
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.firstBox().text, "Nieprawidłowa wartośc !");
  EXPECT_EQ(dialog->state().ScAbs, 34);
  EXPECT_FALSE(dialog->showScene(48, 15));
  EXPECT_EQ(dialog->state().ScAbs, 34);
}

TEST_F(SceneEditorTest, CommitIsGreyedWhileTheFieldsNameAnotherScene) {
  open();
  QSignalSpy edited(dialog.get(), &SceneEditorDialog::edited);
  checkDevices({3});
  test::Retype(valueField(0), QStringLiteral("99"));
  const auto before = *image;
  test::Retype(programField(), QStringLiteral("20"));
  test::Retype(sceneField(), QStringLiteral("2"));
  EXPECT_FALSE(button("commitButton")->isEnabled());
  test::Click(button("commitButton"));
  EXPECT_FALSE(dialog->commit());  // also when asked without the button
  EXPECT_TRUE(test::SameImage(*image, before));
  EXPECT_EQ(edited.count(), 0);
  EXPECT_EQ(dialog->state().ScAbs, 0);

  // Back to the scene shown: enabled, and the levels go where they came from.
  test::Retype(programField(), QStringLiteral("01"));
  test::Retype(sceneField(), QStringLiteral("1"));
  EXPECT_TRUE(button("commitButton")->isEnabled());
  test::Click(button("commitButton"));
  EXPECT_EQ(image->Sceny[0][ChannelIndex(3, 1)], 99);
  ASSERT_EQ(edited.count(), 1);
  EXPECT_EQ(edited.at(0).at(0).toString(), "zatwierdź scenę 1/1");
  // A commit that changes nothing is no step.
  test::Click(button("commitButton"));
  EXPECT_EQ(edited.count(), 1);

  // Text that names no scene leaves it enabled, to say what is wrong.
  test::Retype(sceneField(), QStringLiteral("x"));
  EXPECT_TRUE(button("commitButton")->isEnabled());
}

TEST_F(SceneEditorTest, ACopiedDeviceIsPastedIntoEveryCheckedDevice) {
  open();
  QSignalSpy edited(dialog.get(), &SceneEditorDialog::edited);
  EXPECT_FALSE(button("pasteDeviceButton")->isEnabled());  // nothing copied yet
  loadAt(2, 3);                                            // absolute scene 34, device 1
  test::Retype(valueField(0), QStringLiteral("300"));      // no level: nothing is copied
  test::Click(button("copyDeviceButton"));
  EXPECT_EQ(valueText(0), "???");
  EXPECT_FALSE(clipboard.levels.has_value());
  test::Retype(valueField(0), QStringLiteral("250"));  // the working copy is what is copied
  test::Click(button("copyDeviceButton"));
  ASSERT_TRUE(clipboard.levels.has_value());

  checkDevices({4});
  loadAt(5, 2);  // absolute scene 129, device 4
  checkDevices({4, 7, 16});
  const auto before = *image;
  test::Click(button("pasteDeviceButton"));
  ASSERT_EQ(edited.count(), 1);
  EXPECT_EQ(edited.at(0).at(0).toString(), "wklej urządzenie do zaznaczonych: 3");
  auto expected = before;
  for (unsigned d : {4U, 7U, 16U}) {
    for (unsigned c = 1; c <= 16; ++c)
      expected.Sceny[129][ChannelIndex(d, c)] = c == 1 ? 250 : Level(34, 1, c);
  }
  EXPECT_TRUE(test::SameImage(*image, expected));
  EXPECT_EQ(sliderValue(0), 250);  // device 4 is the one shown
  EXPECT_EQ(sliderValue(1), Level(34, 1, 2));

  test::Click(button("pasteDeviceButton"));  // nothing changes: no step
  EXPECT_EQ(edited.count(), 1);
  checkDevices({});
  EXPECT_FALSE(button("pasteDeviceButton")->isEnabled());
  checkDevices({2});
  test::Retype(sceneField(), QStringLiteral("3"));  // names another scene
  EXPECT_FALSE(button("pasteDeviceButton")->isEnabled());
  EXPECT_FALSE(button("copyDeviceButton")->isEnabled());
  EXPECT_FALSE(dialog->pasteDevice());
  EXPECT_TRUE(test::SameImage(*image, expected));
}

TEST_F(SceneEditorTest, TheDeviceClipboardOutlivesTheEditor) {
  {
    SceneEditorDialog first(*image, host);  // the process-wide clipboard
    first.copyDevice();
  }
  SceneEditorDialog second(*image, host);
  EXPECT_TRUE(test::Child<QAbstractButton>(second, QStringLiteral("pasteDeviceButton"))->isEnabled());
}

TEST_F(SceneEditorTest, CommitWithoutDevicesStoresOnlyTheProgramParameters) {
  open();
  checkDevices({});
  test::Retype(valueField(0), QStringLiteral("9"));
  test::Retype(valueField(kXf), QStringLiteral("140"));
  modeButton(Mode::Music)->click();
  const auto scenes = image->Sceny;
  test::Click(button("commitButton"));
  EXPECT_TRUE(image->Sceny == scenes);
  EXPECT_EQ(image->PgmFade[0], 140);
  EXPECT_EQ(image->PgmSpeed[0], 255);
}

TEST_F(SceneEditorTest, CommitStoresTheModeAndSpeed) {
  const struct {
    Mode mode;
    const char* sp;
    std::uint8_t stored;
  } cases[] = {
      {Mode::Auto, "12", 12},  {Mode::Auto, "31", 31},
      {Mode::Auto, "0", 0},  // speed 0 reads back as manual
      {Mode::Manual, "12", 0}, {Mode::Music, "12", 255},
      {Mode::Midi, "12", 254},
  };
  open();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << static_cast<int>(c.mode) << " SP " << c.sp);
    modeButton(c.mode)->click();
    test::Retype(valueField(kSp), QString::fromUtf8(c.sp));
    test::Click(button("commitButton"));
    EXPECT_EQ(image->PgmSpeed[0], c.stored);
  }
  // A stored 32-253 loads as the fastest automatic speed and is committed as such.
  image->PgmSpeed[0] = 100;
  loadAt(1, 1);
  test::Click(button("commitButton"));
  EXPECT_EQ(image->PgmSpeed[0], 31);
}

TEST_F(SceneEditorTest, EndBoxSetsOrClearsTheEndScene) {
  const struct {
    std::uint8_t endBefore;
    bool checked;
    std::uint8_t endAfter;
  } cases[] = {
      {0, true, 5},   // set
      {5, false, 0},  // cleared on the end scene itself
      {7, false, 7},  // another scene is the end: unchanged
      {7, true, 5},   // moved here
  };
  open();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "end scene " << int{c.endBefore} << ", END checked " << c.checked);
    image->PgmEnds[2] = c.endBefore;
    loadAt(3, 5);
    EXPECT_EQ(endBox()->isChecked(), c.endBefore == 5);
    endBox()->setChecked(c.checked);
    test::Click(button("commitButton"));
    EXPECT_EQ(image->PgmEnds[2], c.endAfter);
  }
}

TEST_F(SceneEditorTest, QuestionMarksBlockTheCommitUntilCorrected) {
  open();
  const auto before = *image;
  // Left with a number out of range: "???" once the field loses the focus to the button.
  test::Retype(valueField(3), QStringLiteral("300"));
  test::Click(button("commitButton"));
  EXPECT_EQ(valueText(3), "???");
  EXPECT_TRUE(host.boxes.empty());  // no message, only the focus
  EXPECT_TRUE(valueField(3)->hasFocus());
  EXPECT_EQ(valueField(3)->selectedText(), "???");
  EXPECT_TRUE(test::SameImage(*image, before));

  test::Retype(valueField(3), QStringLiteral("30"));
  test::Click(button("commitButton"));
  EXPECT_EQ(image->Sceny[0][ChannelIndex(1, 4)], 30);
}

TEST_F(SceneEditorTest, AFieldNotYetLeftIsCheckedAtTheCommit) {
  const char* bad[] = {"300", "-1", "abc", ""};
  open();
  const auto before = *image;
  for (const char* text : bad) {
    SCOPED_TRACE(testing::Message() << '"' << text << '"');
    test::Retype(valueField(5), QString::fromUtf8(text));
    // A commit that does not take the focus from the field first (Enter, a shortcut).
    EXPECT_FALSE(dialog->commit());
    EXPECT_EQ(valueText(5), "???");
    EXPECT_TRUE(test::SameImage(*image, before));
  }
  test::Retype(valueField(kSp), QStringLiteral("32"));
  QTest::keyClick(valueField(kSp), Qt::Key_Return);  // Enter checks the field in place
  EXPECT_EQ(valueText(kSp), "???");
}

TEST_F(SceneEditorTest, ValueFieldsMoveTheirSliderWhileTyping) {
  open();
  const struct {
    int field;
    const char* text;
    int slider;        // value the slider shows afterwards
    const char* left;  // the text once the field is left
  } cases[] = {
      {0, "200", 200, "200"}, {0, "12ab", 12, "12ab"}, {0, "abc", 12, "???"}, {0, "256", 255, "???"},
      {kXf, "0", 0, "0"},     {kSp, "7", 7, "7"},      {kSp, "0", 1, "0"},    {kSp, "40", 31, "???"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "field " << c.field << " \"" << c.text << '"');
    test::Retype(valueField(c.field), QString::fromUtf8(c.text));
    EXPECT_EQ(sliderValue(c.field), c.slider);
    programField()->setFocus();  // leave the field
    EXPECT_EQ(valueText(c.field), QString::fromUtf8(c.left));
  }
}

TEST_F(SceneEditorTest, SliderStepsStopAtTheQuarterMarks) {
  const struct {
    int fader;
    int from;
    Qt::Key key;
    int to;
  } cases[] = {
      {0, 200, Qt::Key_PageUp, 255}, {0, 255, Qt::Key_PageUp, 255},   {0, 255, Qt::Key_PageDown, 191},
      {0, 64, Qt::Key_PageDown, 63}, {0, 63, Qt::Key_PageDown, 0},    {0, 0, Qt::Key_PageDown, 0},
      {0, 0, Qt::Key_PageUp, 63},    {kXf, 127, Qt::Key_PageUp, 191}, {kXf, 128, Qt::Key_PageDown, 127},
      {kSp, 7, Qt::Key_PageDown, 1}, {kSp, 0, Qt::Key_PageDown, 1},   {kSp, 7, Qt::Key_PageUp, 15},
      {kSp, 31, Qt::Key_PageUp, 31}, {kSp, 24, Qt::Key_PageDown, 23}, {0, 0, Qt::Key_Up, 1},
      {0, 255, Qt::Key_Up, 255},     {0, 10, Qt::Key_Down, 9},        {0, 0, Qt::Key_Down, 0},
      {kSp, 1, Qt::Key_Down, 1},     {kSp, 0, Qt::Key_Up, 1},         {kSp, 31, Qt::Key_Up, 31},
      {0, 100, Qt::Key_Home, 100},   {0, 100, Qt::Key_End, 100},
  };
  open();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "fader " << c.fader << " from " << c.from << " key " << c.key);
    test::Retype(valueField(c.fader), QString::number(c.from));
    QTest::keyClick(fader(c.fader), c.key);
    EXPECT_EQ(valueText(c.fader), QString::number(c.to));
    EXPECT_EQ(sliderValue(c.fader), std::max(c.to, c.fader == kSp ? 1 : 0));
    EXPECT_EQ(dialog->state().Wart[static_cast<std::size_t>(c.fader)], c.to);
  }
}

TEST_F(SceneEditorTest, ThumbAndWheelMoveTheLevel) {
  open();
  test::Retype(valueField(2), QStringLiteral("100"));
  QScrollBar* bar = fader(2);
  // Dragging the thumb: the level is the maximum minus the thumb's position.
  bar->setSliderDown(true);
  bar->setSliderPosition(55);
  bar->setSliderDown(false);
  EXPECT_EQ(valueText(2), "200");
  EXPECT_EQ(bar->value(), 55);

  // The wheel turned away from the user raises the level, towards the user lowers it.
  const QPointF at(bar->width() / 2.0, bar->height() / 2.0);
  QWheelEvent up(at, bar->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                 Qt::NoScrollPhase, false);
  QApplication::sendEvent(bar, &up);
  const int raised = valueText(2).toInt();
  EXPECT_GT(raised, 200);
  QWheelEvent down(at, bar->mapToGlobal(at), QPoint(), QPoint(0, -240), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QApplication::sendEvent(bar, &down);
  EXPECT_LT(valueText(2).toInt(), raised);
  EXPECT_EQ(dialog->state().Wart[2], valueText(2).toInt());
  // Sliders change the working copy only.
  EXPECT_EQ(image->Sceny[0][ChannelIndex(1, 3)], Level(0, 1, 3));
}

TEST_F(SceneEditorTest, PlusAndMinusChangeOnlyTheFields) {
  const struct {
    const char* program;
    const char* scene;
    const char* button;
    const char* programAfter;
    const char* sceneAfter;
  } cases[] = {
      {"48", "1", "programUp", "48", "1"},   {"60", "1", "programUp", "48", "1"},
      {"5", "1", "programUp", "6", "1"},     {"abc", "1", "programUp", "1", "1"},
      {"1", "1", "programDown", "1", "1"},   {"0", "1", "programDown", "1", "1"},
      {"60", "1", "programDown", "59", "1"}, {"48", "13", "sceneUp", "48", "14"},
      {"48", "14", "sceneUp", "48", "14"},   {"48", "20", "sceneUp", "48", "14"},
      {"16", "31", "sceneUp", "16", "32"},   {"17", "16", "sceneUp", "17", "16"},
      {"3", "1", "sceneDown", "3", "1"},     {"3", "0", "sceneDown", "3", "1"},
      {"3", "9", "sceneDown", "3", "8"},
  };
  open();
  const auto state = dialog->state();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.button << " on \"" << c.program << "\" / \"" << c.scene << '"');
    programField()->setText(QString::fromUtf8(c.program));
    sceneField()->setText(QString::fromUtf8(c.scene));
    test::Click(button(c.button));
    EXPECT_EQ(programField()->text(), QString::fromUtf8(c.programAfter));
    EXPECT_EQ(sceneField()->text(), QString::fromUtf8(c.sceneAfter));
  }
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(dialog->state().Pgm, state.Pgm);  // nothing was loaded
  EXPECT_EQ(dialog->state().Wart, state.Wart);

  // The arrow keys in the fields do the same.
  programField()->setText(QStringLiteral("7"));
  sceneField()->setText(QStringLiteral("9"));
  QTest::keyClick(programField(), Qt::Key_Up);
  EXPECT_EQ(programField()->text(), "8");
  QTest::keyClick(sceneField(), Qt::Key_Down);
  EXPECT_EQ(sceneField()->text(), "8");

  // The scene's "+" needs a valid program to know the scene count.
  programField()->setText(QStringLiteral("49"));
  test::Click(button("sceneUp"));
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Nieprawidłowa wartośc !");
  EXPECT_TRUE(programField()->hasFocus());
}

TEST_F(SceneEditorTest, ClosingLosesWhatWasNotCommitted) {
  for (bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "Koniec");
    open();
    test::Retype(valueField(0), QStringLiteral("99"));
    const auto before = *image;
    if (escape) {
      QTest::keyClick(dialog.get(), Qt::Key_Escape);
    } else {
      test::Click(button("closeButton"));
    }
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), 0);
    EXPECT_TRUE(test::SameImage(*image, before));
    EXPECT_TRUE(host.boxes.empty());
  }
}

}  // namespace
}  // namespace kavira
