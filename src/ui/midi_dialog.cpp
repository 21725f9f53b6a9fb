#include "ui/midi_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>
#include <algorithm>

#include "model/numbering.h"
#include "ui/bad_data_alert.h"
#include "ui/field_numbers.h"
#include "ui/step_scroll_bar.h"
#include "ui_midi_dialog.h"

namespace kavira {
namespace {

constexpr std::array<const char*, 12> nutki = {"C",  "C#", "D",  "D#", "E",  "F",
                                               "F#", "G",  "G#", "A",  "A#", "B"};

// Columns of the rows grid; the headings in the form use the same ones.
constexpr int kKeyColumn = 0;
constexpr int kNoteColumn = 1;
constexpr int kTriggerColumn = 2;  // three columns
constexpr int kAssignColumn = 6;   // three columns
constexpr int kProgramColumn = 10;
constexpr int kSceneColumn = 11;
constexpr int kFirstRowOfGrid = 2;  // below the two heading rows

constexpr std::array<MidiStat::Bit, 3> kTriggerBits = {MidiStat::kTrigK1, MidiStat::kTrigK2,
                                                       MidiStat::kTrigK3};
constexpr std::array<MidiStat::Bit, 3> kAssignBits = {MidiStat::kAssoc1, MidiStat::kAssoc2,
                                                      MidiStat::kAssoc3};

QLineEdit* NumberField(QWidget* parent, const char* sample) {
  auto* edit = new QLineEdit(parent);
  edit->setAlignment(Qt::AlignCenter);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString::fromLatin1(sample)) + 14);
  return edit;
}

}  // namespace

QString NoteName(int key) {
  return QStringLiteral("%1 / %2")
      .arg(QString::fromLatin1(nutki[static_cast<std::size_t>(key % 12)]))
      .arg(key / 12 - 1);
}

MidiDialog::MidiDialog(ControllerImage& image, Host& host, QWidget* parent)
    : QDialog(parent), image_(image), host_(host), ui_(std::make_unique<Ui::MidiDialog>()) {
  ui_->setupUi(this);
  buildRows();
  // "Koniec" is the default button: Enter closes without storing, as it always has.
  ui_->closeButton->setDefault(true);
  connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(ui_->revertButton, &QPushButton::clicked, this, [this] { revert(); });
  connect(ui_->commitButton, &QPushButton::clicked, this, [this] { commit(); });

  QScrollBar* bar = ui_->keysBar;
  bar->setRange(0, kLastFirstKey);
  bar->setSingleStep(1);
  bar->setPageStep(kRows);
  bar->setValue(kFirstShownKey);
  connect(bar, &QScrollBar::actionTriggered, this, [this](int action) { onScrollAction(action); });

  MidiCp_ = image_.Midi;
  showRows();
}

MidiDialog::~MidiDialog() = default;

void MidiDialog::buildRows() {
  QWidget* tabPrev = nullptr;
  auto chain = [&](QWidget* w) {
    if (tabPrev != nullptr) QWidget::setTabOrder(tabPrev, w);
    tabPrev = w;
  };
  for (int k = 0; k < kRows; ++k) {
    Row& r = rows_[static_cast<std::size_t>(k)];
    const int gridRow = kFirstRowOfGrid + k;
    const QString name = QStringLiteral("row%1").arg(k);
    r.key = NumberField(this, "0000");
    r.note = NumberField(this, "C# / -1");
    r.key->setObjectName(name + QStringLiteral("Key"));
    r.note->setObjectName(name + QStringLiteral("Note"));
    for (QLineEdit* shown : {r.key, r.note}) {
      shown->setReadOnly(true);
      shown->setEnabled(false);
    }
    ui_->rowsGrid->addWidget(r.key, gridRow, kKeyColumn, Qt::AlignHCenter);
    ui_->rowsGrid->addWidget(r.note, gridRow, kNoteColumn, Qt::AlignHCenter);
    for (int a = 0; a < 3; ++a) {
      auto* trigger = new QCheckBox(this);
      auto* assign = new QCheckBox(this);
      trigger->setAccessibleName(QStringLiteral("Wyzwalanie w obszarze %1").arg(a + 1));
      assign->setAccessibleName(QStringLiteral("Przypisanie w obszarze %1").arg(a + 1));
      trigger->setObjectName(name + QStringLiteral("Trigger%1").arg(a + 1));
      assign->setObjectName(name + QStringLiteral("Assign%1").arg(a + 1));
      r.trigger[static_cast<std::size_t>(a)] = trigger;
      r.assign[static_cast<std::size_t>(a)] = assign;
      ui_->rowsGrid->addWidget(trigger, gridRow, kTriggerColumn + a, Qt::AlignHCenter);
      ui_->rowsGrid->addWidget(assign, gridRow, kAssignColumn + a, Qt::AlignHCenter);
    }
    r.program = NumberField(this, "65536");
    r.scene = NumberField(this, "65536");
    r.program->setObjectName(name + QStringLiteral("Program"));
    r.scene->setObjectName(name + QStringLiteral("Scene"));
    ui_->rowsGrid->addWidget(r.program, gridRow, kProgramColumn, Qt::AlignHCenter);
    ui_->rowsGrid->addWidget(r.scene, gridRow, kSceneColumn, Qt::AlignHCenter);
    for (QCheckBox* b : r.trigger)
      chain(b);
    for (QCheckBox* b : r.assign)
      chain(b);
    chain(r.program);
    chain(r.scene);
  }
  chain(ui_->keysBar);
  chain(ui_->closeButton);
  chain(ui_->revertButton);
  chain(ui_->commitButton);
  ui_->keysBar->setFocusPolicy(Qt::StrongFocus);
  // Gaps between the groups of columns.
  for (int gap : {kTriggerColumn + 3, kAssignColumn + 3, kSceneColumn + 1})
    ui_->rowsGrid->setColumnMinimumWidth(gap, 12);
  ui_->rowsGrid->setVerticalSpacing(6);
}

void MidiDialog::showRows() {
  for (int k = 0; k < kRows; ++k) {
    const Row& r = rows_[static_cast<std::size_t>(k)];
    const int n = pocz_ + k;
    const MidiStat m = MidiCp_[static_cast<std::size_t>(n)];
    r.key->setText(QString::number(n));
    r.note->setText(NoteName(n));
    for (std::size_t a = 0; a < 3; ++a) {
      r.trigger[a]->setChecked(m.bit(kTriggerBits[a]));
      r.assign[a]->setChecked(m.bit(kAssignBits[a]));
    }
    // A scene number beyond the last scene shows 65536 in both fields and is refused until corrected.
    const unsigned rel = Abs2Rel(m.AScena());
    r.program->setText(QString::number(ProgramOf(rel) + 1));
    r.scene->setText(QString::number(SceneOf(rel) + 1));
  }
}

bool MidiDialog::readRows() {
  for (int k = 0; k < kRows; ++k) {
    const Row& r = rows_[static_cast<std::size_t>(k)];
    const auto n = static_cast<std::size_t>(pocz_) + static_cast<std::size_t>(k);
    const unsigned program = ReadUnsigned(r.program->text()).value_or(0);
    const std::optional<unsigned> sceneRead = ReadUnsigned(r.scene->text());
    const unsigned scene = sceneRead.value_or(0);
    MidiStat m = MidiCp_[n];
    if (program == 0 && scene == 0) {
      m.setAScena(0);  // no scene: the same value as program 1, scene 1
    } else {
      if (program < 1 || program > kProgramCount) {
        BadDataAlert(this, r.program, kInvalidValueText, host_);
        return false;
      }
      if (scene < 1 || scene > SceneCountOfProgram(program)) {
        BadDataAlert(this, r.scene, kInvalidValueText, host_);
        return false;
      }
      m.setAScena(Rel2Abs(program - 1, scene - 1));
    }
    for (std::size_t a = 0; a < 3; ++a) {
      m.setBit(kTriggerBits[a], r.trigger[a]->isChecked());
      // With no number in the scene field the key has no scene to assign in any area.
      m.setBit(kAssignBits[a], r.assign[a]->isChecked() && sceneRead.has_value());
    }
    MidiCp_[n] = m;
  }
  return true;
}

void MidiDialog::onScrollAction(int action) {
  QScrollBar* bar = ui_->keysBar;
  if (action == QAbstractSlider::SliderNoAction) return;
  if (reading_) {  // a repeat while a warning is up
    bar->setSliderPosition(pocz_);
    return;
  }
  reading_ = true;
  const bool ok = readRows();
  reading_ = false;
  if (!ok) {
    ui_->keysBar->stopRepeat();
    bar->setSliderPosition(pocz_);
    return;
  }
  const auto next = ui_->keysBar->scrolledTo(action, pocz_, kRows, kLastFirstKey);
  if (!next) {  // Home and End: read back, but stay
    bar->setSliderPosition(pocz_);
    return;
  }
  pocz_ = *next;
  bar->setSliderPosition(pocz_);
  showRows();
}

bool MidiDialog::commit() {
  if (!readRows()) return false;
  image_.Midi = MidiCp_;
  done(1);
  return true;
}

void MidiDialog::revert() {
  MidiCp_ = image_.Midi;
  showRows();
}

}  // namespace kavira
