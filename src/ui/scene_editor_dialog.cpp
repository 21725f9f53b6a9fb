#include "ui/scene_editor_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>
#include <string>

#include "link/link_state.h"
#include "model/numbering.h"
#include "ui/bad_data_alert.h"
#include "ui/field_numbers.h"
#include "ui_scene_editor_dialog.h"

namespace kavira {
namespace {

constexpr int kDevices = 16;

// Channels and fade run 0-255. The speed runs 1-31 on its slider, but a manual, music or MIDI program
// loads with speed 0, and its field accepts 0.
constexpr int FaderMax(int i) {
  return i == SceneEditorDialog::kSp ? kSpeedMaxAuto : 255;
}
constexpr int FaderMin(int i) {
  return i == SceneEditorDialog::kSp ? 1 : 0;
}

// Page steps stop at the quarter marks k * max / 4: 0, 63, 127, 191, 255 (speed: 0, 7, 15, 23, 31).
constexpr int QuarterMark(int k, int max) {
  return k * max / 4;
}

constexpr int PageUp(int v, int max) {
  for (int k = 0; k <= 4; ++k) {
    if (QuarterMark(k, max) > v) return QuarterMark(k, max);
  }
  return v;
}

constexpr int PageDown(int v, int max, int min) {
  if (v <= min) return min;  // a speed of 0 comes up to 1
  int mark = min;
  for (int k = 0; k <= 4; ++k) {
    if (QuarterMark(k, max) < v) mark = QuarterMark(k, max);
  }
  return std::max(mark, min);
}

void FitWidth(QLineEdit* edit, const char* sample) {
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString::fromLatin1(sample)) + 14);
}

// The device clipboard of every editor that was given no other: a copy survives reopening the editor.
SceneEditorDialog::DeviceClipboard& SharedDeviceClipboard() {
  static SceneEditorDialog::DeviceClipboard clipboard;
  return clipboard;
}

void MakeStepButton(QToolButton* b, int height) {
  b->setFocusPolicy(Qt::NoFocus);  // clicking keeps the typing in the field
  b->setAutoRepeat(true);
  b->setFixedSize(18, height);
  b->setStyleSheet(QStringLiteral("QToolButton { padding: 0px; }"));
}

}  // namespace

SceneEditorDialog::SceneEditorDialog(ControllerImage& image, Host& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint),  // a frame without a title bar
      image_(image),
      host_(host),
      ui_(std::make_unique<Ui::SceneEditorDialog>()),
      clipboard_(&SharedDeviceClipboard()) {
  ui_->setupUi(this);
  FitWidth(ui_->programField, "000");
  FitWidth(ui_->sceneField, "000");
  const int half = std::max(10, ui_->programField->sizeHint().height() / 2);
  for (QToolButton* b : {ui_->programUp, ui_->programDown, ui_->sceneUp, ui_->sceneDown})
    MakeStepButton(b, half);
  // Only "Zatwierdź" writes the image, and Enter must never do it behind the user's back.
  for (QPushButton* b : {ui_->loadButton, ui_->commitButton, ui_->copyDeviceButton, ui_->pasteDeviceButton,
                         ui_->closeButton}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  buildDevices();
  buildFaders();
  setTabChain();

  connect(ui_->programUp, &QToolButton::clicked, this, [this] { stepProgram(+1); });
  connect(ui_->programDown, &QToolButton::clicked, this, [this] { stepProgram(-1); });
  connect(ui_->sceneUp, &QToolButton::clicked, this, [this] { stepScene(+1); });
  connect(ui_->sceneDown, &QToolButton::clicked, this, [this] { stepScene(-1); });
  connect(ui_->loadButton, &QPushButton::clicked, this, [this] { load(); });
  connect(ui_->commitButton, &QPushButton::clicked, this, [this] { commit(); });
  connect(ui_->copyDeviceButton, &QPushButton::clicked, this, [this] { copyDevice(); });
  connect(ui_->pasteDeviceButton, &QPushButton::clicked, this, [this] { pasteDevice(); });
  // Enter in the program or scene field loads what it names.
  for (QLineEdit* f : {ui_->programField, ui_->sceneField}) {
    connect(f, &QLineEdit::returnPressed, this, [this] { load(); });
    connect(f, &QLineEdit::textChanged, this, [this] { updateButtons(); });
  }
  for (QCheckBox* d : devices_)
    connect(d, &QCheckBox::toggled, this, [this] { updateButtons(); });
  connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::reject);
  ui_->programField->installEventFilter(this);
  ui_->sceneField->installEventFilter(this);

  host_.setStatusText(kPartArea, Texts::kEditing);
  ui_->programField->setText(QStringLiteral("1"));
  ui_->sceneField->setText(QStringLiteral("1"));
  devices_[0]->setChecked(true);
  load();
  ui_->programField->setFocus();
}

SceneEditorDialog::~SceneEditorDialog() {
  // The fields lose the focus while the dialog is torn down; that must not reach the handlers.
  for (QLineEdit* f : {ui_->programField, ui_->sceneField}) {
    f->removeEventFilter(this);
    f->disconnect(this);
  }
  for (QCheckBox* d : devices_)
    d->disconnect(this);
  for (QLineEdit* v : values_) {
    v->removeEventFilter(this);
    v->disconnect(this);
  }
}

void SceneEditorDialog::buildDevices() {
  for (int d = 0; d < kDevices; ++d) {
    auto* box = new QCheckBox(ui_->devicesGroup);
    box->setObjectName(QStringLiteral("device%1").arg(d + 1));
    box->setAccessibleName(QStringLiteral("Urządzenie %1").arg(d + 1));
    auto* label = new QLabel(QString::number(d + 1), ui_->devicesGroup);
    ui_->deviceGrid->addWidget(box, 0, d, Qt::AlignHCenter);
    ui_->deviceGrid->addWidget(label, 1, d, Qt::AlignHCenter);
    devices_[static_cast<std::size_t>(d)] = box;
  }
}

// Every slider is one column: the scroll bar, its number underneath. The channels stand under the
// device boxes with the same number; XF and SP stand in the program column with their labels on top.
void SceneEditorDialog::buildFaders() {
  const int columnWidth = ui_->programField->fontMetrics().horizontalAdvance(QStringLiteral("888")) + 12;
  for (int i = 0; i < kFaders; ++i) {
    const bool channel = i < kDevices;
    QWidget* owner = channel ? ui_->channelsGroup : ui_->programGroup;
    auto* bar = new QScrollBar(Qt::Vertical, owner);
    bar->setObjectName(QStringLiteral("fader%1").arg(i));
    // The top of a slider is its maximum: the position is the maximum minus the value.
    bar->setRange(0, i == kSp ? 30 : 255);
    bar->setSingleStep(1);
    bar->setPageStep(i == kSp ? 4 : 32);
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->setMinimumHeight(200);
    bar->setAccessibleName(channel ? QStringLiteral("Kanał %1").arg(i + 1)
                                   : QString::fromUtf8(i == kXf ? "XF" : "SP"));
    auto* field = new QLineEdit(owner);
    field->setObjectName(QStringLiteral("value%1").arg(i));
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(columnWidth - 2);
    field->installEventFilter(this);
    faders_[static_cast<std::size_t>(i)] = bar;
    values_[static_cast<std::size_t>(i)] = field;
    if (channel) {
      ui_->channelGrid->addWidget(bar, 0, i, Qt::AlignHCenter);
      ui_->channelGrid->addWidget(field, 1, i, Qt::AlignHCenter);
    } else {
      const int col = i - kXf;
      ui_->faderGrid->addWidget(new QLabel(QString::fromUtf8(i == kXf ? "XF" : "SP"), owner), 0, col,
                                Qt::AlignHCenter);
      ui_->faderGrid->addWidget(bar, 1, col, Qt::AlignHCenter);
      ui_->faderGrid->addWidget(field, 2, col, Qt::AlignHCenter);
    }
    connect(bar, &QScrollBar::actionTriggered, this, [this, i](int action) { onFaderAction(i, action); });
    connect(field, &QLineEdit::textChanged, this, [this, i] { onValueEdited(i); });
    connect(field, &QLineEdit::returnPressed, this, [this, i] { checkValueField(i); });
  }
  // The device boxes and the channel sliders share their columns, so each slider stands under its box.
  for (int c = 0; c < kDevices; ++c) {
    ui_->deviceGrid->setColumnMinimumWidth(c, columnWidth);
    ui_->channelGrid->setColumnMinimumWidth(c, columnWidth);
    ui_->deviceGrid->setColumnStretch(c, 1);
    ui_->channelGrid->setColumnStretch(c, 1);
  }
  ui_->deviceGrid->setHorizontalSpacing(2);
  ui_->channelGrid->setHorizontalSpacing(2);
  ui_->channelGrid->setRowStretch(0, 1);
  ui_->faderGrid->setRowStretch(1, 1);
  ui_->programLayout->setStretchFactor(ui_->faderGrid, 1);
}

void SceneEditorDialog::setTabChain() {
  std::vector<QWidget*> chain = {ui_->programField,      ui_->sceneField,   ui_->endBox,
                                 ui_->loadButton,        ui_->commitButton, ui_->copyDeviceButton,
                                 ui_->pasteDeviceButton, ui_->closeButton};
  for (QCheckBox* d : devices_)
    chain.push_back(d);
  for (int i = 0; i < kDevices; ++i) {
    chain.push_back(faders_[static_cast<std::size_t>(i)]);
    chain.push_back(values_[static_cast<std::size_t>(i)]);
  }
  for (QWidget* w : {static_cast<QWidget*>(ui_->modeMidi), static_cast<QWidget*>(ui_->modeMusic),
                     static_cast<QWidget*>(ui_->modeManual), static_cast<QWidget*>(ui_->modeAuto)}) {
    chain.push_back(w);
  }
  for (int i = kXf; i < kFaders; ++i) {
    chain.push_back(faders_[static_cast<std::size_t>(i)]);
    chain.push_back(values_[static_cast<std::size_t>(i)]);
  }
  for (std::size_t i = 1; i < chain.size(); ++i)
    QWidget::setTabOrder(chain[i - 1], chain[i]);
}

QCheckBox* SceneEditorDialog::deviceBox(int device) const {
  return devices_.at(static_cast<std::size_t>(device - 1));
}
QScrollBar* SceneEditorDialog::fader(int i) const {
  return faders_.at(static_cast<std::size_t>(i));
}
QLineEdit* SceneEditorDialog::valueField(int i) const {
  return values_.at(static_cast<std::size_t>(i));
}

QRadioButton* SceneEditorDialog::modeButton(RunningMode mode) const {
  switch (mode) {
    case RunningMode::Auto:
      return ui_->modeAuto;
    case RunningMode::Manual:
      return ui_->modeManual;
    case RunningMode::Music:
      return ui_->modeMusic;
    case RunningMode::Midi:
      return ui_->modeMidi;
  }
  return ui_->modeManual;
}

std::optional<RunningMode> SceneEditorDialog::checkedMode() const {
  for (RunningMode m : kRunningModes) {
    if (modeButton(m)->isChecked()) return m;
  }
  return std::nullopt;
}

bool SceneEditorDialog::readProgramAndScene(int& pgm, int& scena) {
  const unsigned p = ReadUnsigned(ui_->programField->text()).value_or(0);
  if (p < 1 || p > kProgramCount) {
    BadDataAlert(this, ui_->programField, kInvalidValueText, host_);
    return false;
  }
  const unsigned s = ReadUnsigned(ui_->sceneField->text()).value_or(0);
  if (s < 1 || s > SceneCountOfProgram(p)) {
    BadDataAlert(this, ui_->sceneField, kInvalidValueText, host_);
    return false;
  }
  pgm = static_cast<int>(p);
  scena = static_cast<int>(s);
  return true;
}

// True when the fields hold a program and scene that are valid and not the ones shown. Text that is no
// valid number names nothing: "Zatwierdź" stays enabled and says what is wrong with it.
bool SceneEditorDialog::fieldsNameAnotherScene() const {
  const unsigned p = ReadUnsigned(ui_->programField->text()).value_or(0);
  const unsigned s = ReadUnsigned(ui_->sceneField->text()).value_or(0);
  if (p < 1 || p > kProgramCount || s < 1 || s > SceneCountOfProgram(p)) return false;
  return static_cast<int>(p) != st_.Pgm || static_cast<int>(s) != st_.Scena;
}

void SceneEditorDialog::updateButtons() {
  const bool shown = !fieldsNameAnotherScene();
  const bool anyChecked = std::ranges::any_of(devices_, [](const QCheckBox* d) { return d->isChecked(); });
  ui_->commitButton->setEnabled(shown);
  ui_->copyDeviceButton->setEnabled(shown);
  ui_->pasteDeviceButton->setEnabled(shown && anyChecked && clipboard_->levels.has_value());
}

bool SceneEditorDialog::load() {
  int pgm = 0;
  int scena = 0;
  if (!readProgramAndScene(pgm, scena)) return false;
  st_.Pgm = pgm;
  st_.Scena = scena;
  st_.ScAbs = static_cast<int>(Rel2Abs(static_cast<unsigned>(pgm - 1), static_cast<unsigned>(scena - 1)));

  int checked = 0;
  int device = 0;
  for (int d = 1; d <= kDevices; ++d) {
    if (!deviceBox(d)->isChecked()) continue;
    ++checked;
    if (device == 0) device = d;
  }
  if (device == 0) device = 1;
  if (checked != 1) {
    const QString text =
        tr("Niejednoznaczny wybór urządzeń !\nZostaną załadowane nastawy urządzenia %1-go !").arg(device);
    host_.messageBox(Message::Text(text.toStdString()), Message::Text(tr("Ostrzeżenie").toStdString()),
                     Buttons::Ok, Icon::Exclamation, MessageKind::Warning);
  }

  const auto p = static_cast<std::size_t>(pgm - 1);
  const Scene& scene = image_.Sceny[static_cast<std::size_t>(st_.ScAbs)];
  for (int c = 0; c < kDevices; ++c) {
    showValue(c, scene[ChannelIndex(static_cast<unsigned>(device), static_cast<unsigned>(c + 1))]);
  }
  showValue(kXf, image_.PgmFade[p]);

  // A stored 32-253 shows as the fastest automatic speed; manual, music and MIDI show speed 0.
  const std::uint8_t code = image_.PgmSpeed[p];
  modeButton(ModeOfSpeed(code))->setChecked(true);
  showValue(kSp, AutoSpeed(code));

  st_.End = image_.PgmEnds[p];
  st_.Device = device;
  ui_->endBox->setChecked(st_.End == scena);
  updateButtons();
  return true;
}

bool SceneEditorDialog::showScene(int pgm1, int scena1) {
  ui_->programField->setText(QString::number(pgm1));
  ui_->sceneField->setText(QString::number(scena1));
  return load();
}

bool SceneEditorDialog::commit() {
  int pgm = 0;
  int scena = 0;
  if (!readProgramAndScene(pgm, scena)) return false;
  // The levels shown belong to the scene loaded: they are never written over another one.
  if (pgm != st_.Pgm || scena != st_.Scena) return false;

  const std::optional<RunningMode> mode = checkedMode();
  if (!mode) {
    host_.messageBox(Message::Text(tr("Musisz wybrać rodzaj synchronizacji !").toStdString()),
                     Message::Text(tr("Poprawka :").toStdString()), Buttons::Ok, Icon::Exclamation,
                     MessageKind::Warning);
    ui_->modeMidi->setFocus();
    return false;
  }
  // A field the user has not left yet (Enter pressed in it, or a commit from the keyboard) gets the
  // same check as on leaving, so that a number out of range is never taken by its low byte.
  for (int i = 0; i < kFaders; ++i)
    checkValueField(i);
  for (QLineEdit* field : values_) {
    if (field->text().contains(u'?')) {
      field->setFocus();
      field->setSelection(0, 3);
      return false;
    }
  }

  const auto p = static_cast<std::size_t>(pgm - 1);
  Scene& scene = image_.Sceny[static_cast<std::size_t>(st_.ScAbs)];
  const Scene sceneBefore = scene;
  const std::array<std::uint8_t, 3> programBefore = {image_.PgmSpeed[p], image_.PgmFade[p],
                                                     image_.PgmEnds[p]};
  image_.PgmSpeed[p] = SpeedCode(*mode, st_.Wart[kSp]);
  image_.PgmFade[p] = st_.Wart[kXf];
  if (ui_->endBox->isChecked()) {
    image_.PgmEnds[p] = static_cast<std::uint8_t>(scena);
  } else if (image_.PgmEnds[p] == scena) {
    image_.PgmEnds[p] = 0;
  }
  for (int d = 1; d <= kDevices; ++d) {
    if (!deviceBox(d)->isChecked()) continue;
    for (int c = 0; c < kDevices; ++c) {
      scene[ChannelIndex(static_cast<unsigned>(d), static_cast<unsigned>(c + 1))] =
          st_.Wart[static_cast<std::size_t>(c)];
    }
  }
  const std::array<std::uint8_t, 3> programAfter = {image_.PgmSpeed[p], image_.PgmFade[p], image_.PgmEnds[p]};
  if (scene != sceneBefore || programAfter != programBefore)
    emit edited(tr("zatwierdź scenę %1/%2").arg(pgm).arg(scena));
  return true;
}

void SceneEditorDialog::setDeviceClipboard(DeviceClipboard& clipboard) {
  clipboard_ = &clipboard;
  updateButtons();
}

bool SceneEditorDialog::copyDevice() {
  if (fieldsNameAnotherScene()) return false;
  // What is copied is what the fields show: a field not yet left is checked as on leaving, and one
  // holding "???" stops the copy as it stops a commit.
  for (int c = 0; c < kDevices; ++c)
    checkValueField(c);
  for (int c = 0; c < kDevices; ++c) {
    if (valueField(c)->text().contains(u'?')) {
      valueField(c)->setFocus();
      valueField(c)->setSelection(0, 3);
      return false;
    }
  }
  DeviceLevels levels{};
  std::copy_n(st_.Wart.begin(), levels.size(), levels.begin());
  clipboard_->levels = levels;
  updateButtons();
  return true;
}

bool SceneEditorDialog::pasteDevice() {
  if (!clipboard_->levels || fieldsNameAnotherScene()) return false;
  const DeviceLevels levels = *clipboard_->levels;
  Scene& scene = image_.Sceny[static_cast<std::size_t>(st_.ScAbs)];
  const Scene before = scene;
  int pasted = 0;
  for (int d = 1; d <= kDevices; ++d) {
    if (!deviceBox(d)->isChecked()) continue;
    ++pasted;
    for (int c = 0; c < kDevices; ++c) {
      scene[ChannelIndex(static_cast<unsigned>(d), static_cast<unsigned>(c + 1))] =
          levels[static_cast<std::size_t>(c)];
    }
    // The sliders show what the image now holds for the device they stand for.
    if (d == st_.Device) {
      for (int c = 0; c < kDevices; ++c)
        showValue(c, levels[static_cast<std::size_t>(c)]);
    }
  }
  if (pasted == 0) return false;
  if (scene != before) emit edited(tr("wklej urządzenie do zaznaczonych: %1").arg(pasted));
  return true;
}

void SceneEditorDialog::stepProgram(int delta) {
  const unsigned p = ReadUnsigned(ui_->programField->text()).value_or(0);
  unsigned n = 0;
  if (delta > 0) {
    n = p >= kProgramCount ? static_cast<unsigned>(kProgramCount) : p + 1;
  } else {
    n = p <= 1 ? 1 : p - 1;
  }
  if (n != p) ui_->programField->setText(QString::number(n));
}

void SceneEditorDialog::stepScene(int delta) {
  const unsigned s = ReadUnsigned(ui_->sceneField->text()).value_or(0);
  unsigned n = 0;
  if (delta > 0) {
    const unsigned p = ReadUnsigned(ui_->programField->text()).value_or(0);
    if (p < 1 || p > kProgramCount) {
      BadDataAlert(this, ui_->programField, kInvalidValueText, host_);
      return;
    }
    const unsigned count = SceneCountOfProgram(p);
    n = s >= count ? count : s + 1;
  } else {
    n = s <= 1 ? 1 : s - 1;
  }
  if (n != s) ui_->sceneField->setText(QString::number(n));
}

// Typing moves the slider at once; a text that is not a number is left alone until the field is left.
void SceneEditorDialog::onValueEdited(int i) {
  const std::optional<int> n = ReadLeadingInt(valueField(i)->text());
  if (!n) return;
  st_.Wart[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(*n & 0xFF);
  fader(i)->setValue(std::clamp(FaderMax(i) - *n, fader(i)->minimum(), fader(i)->maximum()));
}

// Leaving a field: a number out of range, or no number, becomes "???", which blocks the commit.
void SceneEditorDialog::checkValueField(int i) {
  const std::optional<int> n = ReadLeadingInt(valueField(i)->text());
  if (!n || *n < 0 || *n > FaderMax(i)) {
    valueField(i)->setText(QStringLiteral("???"));
    return;
  }
  st_.Wart[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(*n);
}

void SceneEditorDialog::showValue(int i, int value) {
  st_.Wart[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
  const QString text = QString::number(value);
  if (valueField(i)->text() != text) valueField(i)->setText(text);
  fader(i)->setValue(std::clamp(FaderMax(i) - value, fader(i)->minimum(), fader(i)->maximum()));
}

void SceneEditorDialog::onFaderAction(int i, int action) {
  QScrollBar* bar = fader(i);
  const int max = FaderMax(i);
  const int min = FaderMin(i);
  int v = st_.Wart[static_cast<std::size_t>(i)];
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:  // towards the top: line up
      if (v < max) ++v;
      break;
    case QAbstractSlider::SliderSingleStepAdd:  // line down
      if (v > min) --v;
      break;
    case QAbstractSlider::SliderPageStepSub:  // page up
      v = PageUp(v, max);
      break;
    case QAbstractSlider::SliderPageStepAdd:  // page down
      v = PageDown(v, max, min);
      break;
    case QAbstractSlider::SliderMove:  // the thumb dragged, or the wheel
      v = max - bar->sliderPosition();
      break;
    default:  // Home and End do not move a level
      bar->setSliderPosition(bar->value());
      return;
  }
  bar->setSliderPosition(std::clamp(max - v, bar->minimum(), bar->maximum()));
  showValue(i, v);
}

bool SceneEditorDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut &&
      static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
    for (int i = 0; i < kFaders; ++i) {
      if (watched == values_[static_cast<std::size_t>(i)]) checkValueField(i);
    }
  }
  // Up and Down in the program and scene fields work like their "+" and "-".
  if (event->type() == QEvent::KeyPress && (watched == ui_->programField || watched == ui_->sceneField)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      const int delta = key == Qt::Key_Up ? +1 : -1;
      if (watched == ui_->programField) {
        stepProgram(delta);
      } else {
        stepScene(delta);
      }
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void SceneEditorDialog::showEvent(QShowEvent* event) {
  // The editor covers the main window's client area, from its top left corner.
  if (!placed_ && parentWidget() != nullptr) {
    QWidget* owner = parentWidget();
    if (auto* main = qobject_cast<QMainWindow*>(owner->window()); main && main->centralWidget()) {
      owner = main->centralWidget();
    }
    move(owner->mapToGlobal(QPoint(0, 0)));
    placed_ = true;
  }
  QDialog::showEvent(event);
}

}  // namespace kavira
