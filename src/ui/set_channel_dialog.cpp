#include "ui/set_channel_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/controller_image.h"
#include "model/numbering.h"
#include "ui/field_numbers.h"

namespace kavira {
namespace {

constexpr const char* kFieldNames[] = {"deviceField",  "channelField",   "levelField",
                                       "programField", "sceneFromField", "sceneToField"};

}  // namespace

SetChannelDialog::SetChannelDialog(const Setting& initial, QWidget* parent)
    : QDialog(parent), setting_(initial) {
  setWindowTitle(tr("Ustaw kanał"));
  setModal(true);
  const unsigned shown[kFields] = {initial.device,  initial.channel,   initial.level,
                                   initial.program, initial.sceneFrom, initial.sceneTo};
  for (int i = 0; i < kFields; ++i) {
    auto* e = new QLineEdit(QString::number(shown[i]), this);
    e->setObjectName(QString::fromLatin1(kFieldNames[i]));
    e->setAlignment(Qt::AlignRight);
    e->setMaxLength(6);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    fields_[static_cast<std::size_t>(i)] = e;
  }
  auto* form = new QFormLayout;
  form->addRow(tr("Urządzenie (1-16) :"), fields_[kDevice]);
  form->addRow(tr("Kanał (1-16) :"), fields_[kChannel]);
  form->addRow(tr("Poziom (0-255) :"), fields_[kLevel]);
  form->addRow(tr("Program (1-48) :"), fields_[kProgram]);
  auto* scenes = new QHBoxLayout;
  scenes->addWidget(fields_[kSceneFrom]);
  scenes->addWidget(new QLabel(tr("do"), this));
  scenes->addWidget(fields_[kSceneTo]);
  scenes->addStretch();
  form->addRow(tr("Sceny od :"), scenes);

  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("errorLabel"));
  error_->setStyleSheet(QStringLiteral("color: #c00000;"));
  error_->hide();

  auto* ok = new QPushButton(tr("OK"), this);
  auto* cancel = new QPushButton(tr("Anuluj"), this);
  ok->setObjectName(QStringLiteral("okButton"));
  cancel->setObjectName(QStringLiteral("cancelButton"));
  ok->setDefault(true);
  cancel->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(error_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  fields_[kLevel]->setFocus();
  fields_[kLevel]->selectAll();

  connect(ok, &QPushButton::clicked, this, [this] { confirm(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool SetChannelDialog::refuse(Field field, const QString& why) {
  error_->setText(why);
  error_->show();
  QLineEdit* e = fields_[static_cast<std::size_t>(field)];
  e->setFocus(Qt::OtherFocusReason);
  e->selectAll();
  return false;
}

bool SetChannelDialog::confirm() {
  std::array<unsigned, kFields> v{};
  std::array<bool, kFields> read{};
  for (std::size_t i = 0; i < v.size(); ++i) {
    const auto n = ReadUnsigned(fields_[i]->text());
    read[i] = n.has_value();
    v[i] = n.value_or(0);
  }
  const auto outside = [&](Field f, unsigned low, unsigned high) {
    return !read[f] || v[f] < low || v[f] > high;
  };
  if (outside(kDevice, 1, 16))
    return refuse(kDevice, tr("Numer urządzenia musi zawierać się\npomiędzy 1 a 16 !"));
  if (outside(kChannel, 1, 16))
    return refuse(kChannel, tr("Numer kanału musi zawierać się\npomiędzy 1 a 16 !"));
  if (outside(kLevel, 0, 255)) return refuse(kLevel, tr("Poziom musi zawierać się\npomiędzy 0 a 255 !"));
  if (outside(kProgram, 1, kProgramCount)) {
    return refuse(kProgram, tr("Numer programu musi zawierać się\npomiędzy 1 a %1 !").arg(kProgramCount));
  }
  const unsigned count = SceneCountOfProgram(v[kProgram]);
  if (outside(kSceneFrom, 1, count)) {
    return refuse(kSceneFrom, tr("Scena musi zawierać się\npomiędzy %1 a %2 !").arg(1).arg(count));
  }
  if (outside(kSceneTo, v[kSceneFrom], count)) {
    return refuse(kSceneTo, tr("Scena musi zawierać się\npomiędzy %1 a %2 !").arg(v[kSceneFrom]).arg(count));
  }
  setting_ = {v[kDevice],  v[kChannel],   static_cast<std::uint8_t>(v[kLevel]),
              v[kProgram], v[kSceneFrom], v[kSceneTo]};
  error_->hide();
  accept();
  return true;
}

}  // namespace kavira
