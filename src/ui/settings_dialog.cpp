#include "ui/settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <vector>

#include "model/numbering.h"
#include "ui/bad_data_alert.h"
#include "ui/field_numbers.h"
#include "ui/step_scroll_bar.h"
#include "ui_settings_dialog.h"

namespace kavira {
namespace {

constexpr std::array<const char*, 3> kKeyNames = {"STROBE", "FOG", "EXTRA"};
constexpr std::array<const char*, 3> kKeyObjectNames = {"strobe", "fog", "extra"};
// The letters of the running modes in the program table: automatic, manual ("Ręczna"), music, MIDI.
constexpr char kModeLetters[] = "ARBM";

// Grid places; the headings in the form use the same columns.
constexpr int kKeyFirstRow = 2;
constexpr int kCollectionFirstRow = 1;
constexpr int kAreaColumn = 1;  // three columns
constexpr int kProgramFirstRow = 2;
constexpr int kEndColumn = 1;
constexpr int kModeColumn = 3;  // four columns
constexpr int kSpeedColumn = 8;
constexpr int kFadeColumn = 9;

QLineEdit* NumberField(QWidget* parent, bool readOnly = false) {
  auto* edit = new QLineEdit(parent);
  edit->setAlignment(Qt::AlignCenter);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("65536")) + 14);
  if (readOnly) {
    edit->setReadOnly(true);
    edit->setEnabled(false);
  }
  return edit;
}

// A field for a number that may be left empty (read as 0): nothing when it holds anything else or a
// number above `max`.
std::optional<unsigned> ReadOptional(const QLineEdit* field, unsigned max) {
  if (IsBlank(field->text())) return 0U;
  const std::optional<unsigned> n = ReadUnsigned(field->text());
  if (!n || *n > max) return std::nullopt;
  return n;
}

}  // namespace

SettingsDialog::SettingsDialog(ControllerImage& image, Host& host, QWidget* parent)
    : QDialog(parent), image_(image), host_(host), ui_(std::make_unique<Ui::SettingsDialog>()) {
  ui_->setupUi(this);
  buildKeyRows();
  buildCollectionRows();
  buildProgramRows();
  setTabChain();
  // "Koniec" is the default button: Enter closes without storing, as it always has.
  ui_->closeButton->setDefault(true);
  connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(ui_->commitButton, &QPushButton::clicked, this, [this] { commit(); });

  ui_->programsBar->setRange(0, kLastFirstProgram);
  ui_->programsBar->setPageStep(3);
  ui_->collectionsBar->setRange(0, kLastFirstCollection);
  ui_->collectionsBar->setPageStep(1);
  for (StepScrollBar* bar : {ui_->programsBar, ui_->collectionsBar}) {
    bar->setSingleStep(1);
    bar->setValue(0);
    bar->setFocusPolicy(Qt::StrongFocus);
    connect(bar, &QScrollBar::actionTriggered, this,
            [this, bar](int action) { onScrollAction(bar, action); });
  }

  PgmEndsCp_ = image_.PgmEnds;
  PgmSpeedCp_ = image_.PgmSpeed;
  PgmFadeCp_ = image_.PgmFade;
  ShowsCp_ = image_.Shows;
  showKeys();
  ui_->slowModeBox->setChecked(image_.SlowMode != 0);
  showRows();
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::buildKeyRows() {
  for (std::size_t k = 0; k < keys_.size(); ++k) {
    KeyRow& r = keys_[k];
    const int row = kKeyFirstRow + static_cast<int>(k);
    auto* name = new QLabel(QString::fromLatin1(kKeyNames[k]), ui_->keysGroup);
    r.on = new QCheckBox(ui_->keysGroup);
    r.on->setAccessibleName(QString::fromLatin1(kKeyNames[k]));
    r.program = NumberField(ui_->keysGroup);
    r.scene = NumberField(ui_->keysGroup);
    r.strobe = new QCheckBox(ui_->keysGroup);
    r.strobe->setAccessibleName(QStringLiteral("Tryb \"strobe\" %1").arg(QString::fromLatin1(kKeyNames[k])));
    const QString objectName = QString::fromLatin1(kKeyObjectNames[k]);
    r.on->setObjectName(objectName + QStringLiteral("Switch"));
    r.program->setObjectName(objectName + QStringLiteral("Program"));
    r.scene->setObjectName(objectName + QStringLiteral("Scene"));
    r.strobe->setObjectName(objectName + QStringLiteral("Mode"));
    ui_->keysGrid->addWidget(name, row, 0);
    ui_->keysGrid->addWidget(r.on, row, 1, Qt::AlignHCenter);
    ui_->keysGrid->addWidget(r.program, row, 2, Qt::AlignHCenter);
    ui_->keysGrid->addWidget(r.scene, row, 3, Qt::AlignHCenter);
    ui_->keysGrid->addWidget(r.strobe, row, 4, Qt::AlignHCenter);
    const auto key = static_cast<SpecialKey>(k);
    connect(r.on, &QCheckBox::clicked, this, [this, key](bool on) { onKeySwitched(key, on); });
  }
  ui_->keysGrid->setVerticalSpacing(12);
}

void SettingsDialog::buildCollectionRows() {
  for (int k = 0; k < kCollectionRows; ++k) {
    CollectionRow& r = collections_[static_cast<std::size_t>(k)];
    const int row = kCollectionFirstRow + k;
    const QString name = QStringLiteral("collectionRow%1").arg(k);
    r.number = NumberField(ui_->collectionsGroup, true);
    r.number->setObjectName(name + QStringLiteral("Number"));
    ui_->collectionsGrid->addWidget(r.number, row, 0, Qt::AlignHCenter);
    for (int a = 0; a < 3; ++a) {
      QLineEdit* field = NumberField(ui_->collectionsGroup);
      field->setObjectName(name + QStringLiteral("Area%1").arg(a + 1));
      r.area[static_cast<std::size_t>(a)] = field;
      ui_->collectionsGrid->addWidget(field, row, kAreaColumn + a, Qt::AlignHCenter);
    }
  }
  ui_->collectionsGrid->setColumnMinimumWidth(kAreaColumn + 3, 6);
}

void SettingsDialog::buildProgramRows() {
  for (int k = 0; k < kProgramRows; ++k) {
    ProgramRow& r = programs_[static_cast<std::size_t>(k)];
    const int row = kProgramFirstRow + k;
    const QString name = QStringLiteral("programRow%1").arg(k);
    r.number = NumberField(ui_->programsGroup, true);
    r.end = NumberField(ui_->programsGroup);
    r.number->setObjectName(name + QStringLiteral("Number"));
    r.end->setObjectName(name + QStringLiteral("End"));
    ui_->programsGrid->addWidget(r.number, row, 0, Qt::AlignHCenter);
    ui_->programsGrid->addWidget(r.end, row, kEndColumn, Qt::AlignHCenter);
    auto* group = new QButtonGroup(this);  // one choice of mode per row
    for (RunningMode mode : kRunningModes) {
      const auto m = static_cast<std::size_t>(mode);
      auto* radio = new QRadioButton(ui_->programsGroup);
      radio->setAccessibleName(QString::fromLatin1(&kModeLetters[m], 1));
      radio->setObjectName(name + QStringLiteral("Mode") + radio->accessibleName());
      group->addButton(radio);
      r.mode[m] = radio;
      ui_->programsGrid->addWidget(radio, row, kModeColumn + static_cast<int>(m), Qt::AlignHCenter);
    }
    r.speed = NumberField(ui_->programsGroup);
    r.fade = NumberField(ui_->programsGroup);
    r.speed->setObjectName(name + QStringLiteral("Speed"));
    r.fade->setObjectName(name + QStringLiteral("Fade"));
    ui_->programsGrid->addWidget(r.speed, row, kSpeedColumn, Qt::AlignHCenter);
    ui_->programsGrid->addWidget(r.fade, row, kFadeColumn, Qt::AlignHCenter);
  }
  for (int gap : {kEndColumn + 1, kModeColumn + 4, kFadeColumn + 1})
    ui_->programsGrid->setColumnMinimumWidth(gap, 6);
}

void SettingsDialog::setTabChain() {
  std::vector<QWidget*> chain;
  for (const KeyRow& r : keys_) {
    for (QWidget* w : std::initializer_list<QWidget*>{r.on, r.program, r.scene, r.strobe})
      chain.push_back(w);
  }
  for (const CollectionRow& r : collections_) {
    for (QLineEdit* a : r.area)
      chain.push_back(a);
  }
  chain.push_back(ui_->collectionsBar);
  for (const ProgramRow& r : programs_) {
    chain.push_back(r.end);
    for (QRadioButton* m : r.mode)
      chain.push_back(m);
    chain.push_back(r.speed);
    chain.push_back(r.fade);
  }
  chain.push_back(ui_->programsBar);
  chain.push_back(ui_->slowModeBox);
  chain.push_back(ui_->closeButton);
  chain.push_back(ui_->commitButton);
  for (std::size_t i = 1; i < chain.size(); ++i)
    QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void SettingsDialog::showKeys() {
  const std::array<std::uint16_t, 3> scenes = {image_.StrobScene, image_.FogScene, image_.ExtraScene};
  for (std::size_t k = 0; k < keys_.size(); ++k) {
    const KeyRow& r = keys_[k];
    const bool on = scenes[k] != kNoScene;
    r.on->setChecked(on);
    r.program->setEnabled(on);
    r.scene->setEnabled(on);
    if (on) {
      // A scene beyond the last one shows 65536 in both fields and is refused until corrected.
      const unsigned rel = Abs2Rel(scenes[k]);
      r.program->setText(QString::number(ProgramOf(rel) + 1));
      r.scene->setText(QString::number(SceneOf(rel) + 1));
    }
  }
  for (SpecialKey key : kSpecialKeys)
    keyRow(key).strobe->setChecked(StrobeModeOn(image_.ExtraMode, key));
}

void SettingsDialog::onKeySwitched(SpecialKey key, bool on) {
  const KeyRow& r = keyRow(key);
  r.program->setText(on ? QStringLiteral("1") : QString());
  r.scene->setText(on ? QStringLiteral("1") : QString());
  r.program->setEnabled(on);
  r.scene->setEnabled(on);
}

void SettingsDialog::showRows() {
  for (int k = 0; k < kProgramRows; ++k) {
    const ProgramRow& r = programs_[static_cast<std::size_t>(k)];
    const auto p = static_cast<std::size_t>(pocz_) + static_cast<std::size_t>(k);
    r.number->setText(QString::number(p + 1));
    r.end->setText(PgmEndsCp_[p] == 0 ? QString() : QString::number(PgmEndsCp_[p]));
    const RunningMode mode = ModeOfSpeed(PgmSpeedCp_[p]);
    const bool automatic = mode == RunningMode::Auto;
    // A stored 32-253 is the fastest automatic speed; the copy takes 31 once the row has been shown.
    if (automatic) PgmSpeedCp_[p] = AutoSpeed(PgmSpeedCp_[p]);
    r.mode[static_cast<std::size_t>(mode)]->setChecked(true);
    r.speed->setText(automatic ? QString::number(PgmSpeedCp_[p]) : QString());
    r.fade->setText(automatic ? QString::number(PgmFadeCp_[p]) : QString());
  }
  for (int k = 0; k < kCollectionRows; ++k) {
    const CollectionRow& r = collections_[static_cast<std::size_t>(k)];
    const auto c = static_cast<std::size_t>(nrp_) + static_cast<std::size_t>(k);
    r.number->setText(QString::number(c + 1));
    for (std::size_t a = 0; a < kAreaCount; ++a) {
      const std::uint8_t entry = ShowsCp_[a][c];
      r.area[a]->setText(entry == kEmptyCollection ? QString() : QString::number(entry + 1));
    }
  }
}

bool SettingsDialog::readRows() {
  for (int k = 0; k < kProgramRows; ++k) {
    const ProgramRow& r = programs_[static_cast<std::size_t>(k)];
    const auto p = static_cast<std::size_t>(pocz_) + static_cast<std::size_t>(k);
    const std::optional<unsigned> end = ReadOptional(r.end, SceneCount(static_cast<unsigned>(p)));
    if (!end) {
      BadDataAlert(this, r.end, kInvalidValueText, host_);
      return false;
    }
    PgmEndsCp_[p] = static_cast<std::uint8_t>(*end);
    for (RunningMode mode : kRunningModes) {
      if (!r.mode[static_cast<std::size_t>(mode)]->isChecked()) continue;
      std::optional<unsigned> speed = 0U;  // only automatic has a speed field
      if (mode == RunningMode::Auto) speed = ReadOptional(r.speed, kSpeedMaxAuto);
      if (!speed) {
        BadDataAlert(this, r.speed, kInvalidValueText, host_);
        return false;
      }
      PgmSpeedCp_[p] = SpeedCode(mode, static_cast<std::uint8_t>(*speed));
    }
    const std::optional<unsigned> fade = ReadOptional(r.fade, 255);
    if (!fade) {
      BadDataAlert(this, r.fade, kInvalidValueText, host_);
      return false;
    }
    PgmFadeCp_[p] = static_cast<std::uint8_t>(*fade);
  }
  for (int k = 0; k < kCollectionRows; ++k) {
    const CollectionRow& r = collections_[static_cast<std::size_t>(k)];
    const auto c = static_cast<std::size_t>(nrp_) + static_cast<std::size_t>(k);
    for (std::size_t a = 0; a < kAreaCount; ++a) {
      // Empty, 0 and anything that is not a number all leave the collection slot empty.
      const unsigned program = ReadUnsigned(r.area[a]->text()).value_or(0);
      if (program > kProgramCount) {
        BadDataAlert(this, r.area[a], kInvalidValueText, host_);
        return false;
      }
      ShowsCp_[a][c] = program == 0 ? kEmptyCollection : static_cast<std::uint8_t>(program - 1);
    }
  }
  return true;
}

void SettingsDialog::onScrollAction(StepScrollBar* bar, int action) {
  const bool programs = bar == ui_->programsBar;
  int& first = programs ? pocz_ : nrp_;
  if (action == QAbstractSlider::SliderNoAction) return;
  if (reading_) {  // a repeat while a warning is up
    bar->setSliderPosition(first);
    return;
  }
  reading_ = true;
  const bool ok = readRows();
  reading_ = false;
  if (!ok) {
    bar->stopRepeat();
    bar->setSliderPosition(first);
    return;
  }
  const auto next =
      bar->scrolledTo(action, first, programs ? 3 : 1, programs ? kLastFirstProgram : kLastFirstCollection);
  if (!next) {  // Home and End: read back, but stay
    bar->setSliderPosition(first);
    return;
  }
  first = *next;
  bar->setSliderPosition(first);
  showRows();
}

bool SettingsDialog::readKeyScene(SpecialKey key, std::uint16_t& scene) {
  const KeyRow& r = keyRow(key);
  if (!r.on->isChecked()) {
    scene = kNoScene;
    return true;
  }
  const unsigned program = ReadUnsigned(r.program->text()).value_or(0);
  if (program < 1 || program > kProgramCount) {
    BadDataAlert(this, r.program, kInvalidValueText, host_);
    return false;
  }
  const unsigned number = ReadUnsigned(r.scene->text()).value_or(0);
  if (number < 1 || number > SceneCountOfProgram(program)) {
    BadDataAlert(this, r.scene, kInvalidValueText, host_);
    return false;
  }
  scene = static_cast<std::uint16_t>(Rel2Abs(program - 1, number - 1));
  return true;
}

bool SettingsDialog::commit() {
  // Every check comes first; the image is written only once all of them have passed.
  if (!readRows()) return false;
  std::array<std::uint16_t, 3> scenes{};
  for (SpecialKey key : kSpecialKeys) {
    if (!readKeyScene(key, scenes[static_cast<std::size_t>(key)])) return false;
  }
  // Collection entries beyond the last program, in slots the user may never have looked at.
  auto shows = ShowsCp_;
  bool answered = false;
  for (std::size_t c = 0; c < kCollectionCount; ++c) {
    for (std::size_t a = 0; a < kAreaCount; ++a) {
      std::uint8_t& entry = shows[a][c];
      if (entry < kProgramCount || entry == kEmptyCollection) continue;
      if (!answered) {
        const Answer answer = host_.messageBox(
            Message::Text(tr("Czy usuwać błędne programy z kolekcji ?").toStdString()),
            Message::Text(InvalidValueText()), Buttons::YesNo, Icon::Question, MessageKind::Question);
        if (answer != Answer::Yes) return false;
        answered = true;
      }
      entry = kEmptyCollection;
    }
  }

  image_.StrobScene = scenes[static_cast<std::size_t>(SpecialKey::Strobe)];
  image_.FogScene = scenes[static_cast<std::size_t>(SpecialKey::Fog)];
  image_.ExtraScene = scenes[static_cast<std::size_t>(SpecialKey::Extra)];
  for (SpecialKey key : kSpecialKeys)
    image_.ExtraMode = WithStrobeMode(image_.ExtraMode, key, keyRow(key).strobe->isChecked());
  image_.SlowMode = ui_->slowModeBox->isChecked() ? kSlowModeOn : 0;
  image_.PgmEnds = PgmEndsCp_;
  image_.PgmSpeed = PgmSpeedCp_;
  image_.PgmFade = PgmFadeCp_;
  ShowsCp_ = shows;
  image_.Shows = shows;
  done(1);
  return true;
}

}  // namespace kavira
