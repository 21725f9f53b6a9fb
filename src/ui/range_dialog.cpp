#include "ui/range_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "model/numbering.h"
#include "ui/bad_data_alert.h"
#include "ui/field_numbers.h"

namespace kavira {
namespace {

// The fields of the first and the last scene, by program and scene.
constexpr const char* kFieldNames[4] = {"programFrom", "sceneFrom", "programTo", "sceneTo"};

QLineEdit* NumberField(QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setAlignment(Qt::AlignRight);
  e->setMaxLength(6);
  e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
  return e;
}

}  // namespace

RangeDialog::RangeDialog(std::uint32_t& AdresOd, std::uint32_t& AdresDo, Host& host, QWidget* parent)
    : QDialog(parent), AdresOd_(AdresOd), AdresDo_(AdresDo), host_(host) {
  setWindowTitle(tr("Zakres scen"));
  setModal(true);
  for (int i = 0; i < 4; ++i) {
    fields_[i] = NumberField(this);
    fields_[i]->setObjectName(QString::fromLatin1(kFieldNames[i]));
  }

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(14);
  auto heading = [this](const QString& t) {
    auto* l = new QLabel(t, this);
    l->setAlignment(Qt::AlignCenter);
    return l;
  };
  for (int block = 0; block < 2; ++block) {
    const int row = block * 2;
    grid->addWidget(heading(tr("Program")), row, 1);
    grid->addWidget(heading(tr("Scena ")), row, 2);
    grid->addWidget(new QLabel(block == 0 ? tr("Sceny od :") : tr("Sceny do :"), this), row + 1, 0);
    grid->addWidget(fields_[row], row + 1, 1);  // the program field of the block, then its scene field
    grid->addWidget(fields_[row + 1], row + 1, 2);
  }

  all_ = new QPushButton(tr("Wszystkie"), this);
  ok_ = new QPushButton(tr("OK"), this);
  cancel_ = new QPushButton(tr("Cancel"), this);
  all_->setObjectName(QStringLiteral("allButton"));
  ok_->setObjectName(QStringLiteral("okButton"));
  cancel_->setObjectName(QStringLiteral("cancelButton"));
  ok_->setDefault(true);
  for (QPushButton* b : {all_, ok_, cancel_})
    b->setAutoDefault(false);
  ok_->setAutoDefault(true);

  auto* allRow = new QHBoxLayout;
  allRow->addStretch();
  allRow->addWidget(all_);
  allRow->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(allRow);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // The fields show the range as it stands (65536 for a number outside the scenes).
  const unsigned from = Abs2Rel(AdresOd_);
  const unsigned to = Abs2Rel(AdresDo_);
  const unsigned shown[4] = {ProgramOf(from) + 1, SceneOf(from) + 1, ProgramOf(to) + 1, SceneOf(to) + 1};
  for (int i = 0; i < 4; ++i)
    fields_[i]->setText(QString::number(shown[i]));
  fields_[0]->setFocus();
  fields_[0]->selectAll();

  connect(ok_, &QPushButton::clicked, this, [this] {
    if (confirm()) done(kConfirmed);
  });
  connect(all_, &QPushButton::clicked, this, [this] {
    AdresOd_ = 0;
    AdresDo_ = kLastScene;
    done(kConfirmed);
  });
  connect(cancel_, &QPushButton::clicked, this, [this] { done(kCancelled); });
}

bool RangeDialog::confirm() {
  unsigned v[4];
  for (int i = 0; i < 4; ++i)
    v[i] = ReadUnsigned(fields_[i]->text()).value_or(0);
  const unsigned PgmOd = v[0];
  const unsigned ScROd = v[1];
  const unsigned PgmDo = v[2];
  const unsigned ScRDo = v[3];
  auto refuse = [this](int i, const QString& text) {
    BadDataAlert(this, fields_[i], text.toStdString(), host_);
    return false;
  };
  if (PgmOd < 1 || PgmOd > kProgramCount)
    return refuse(0, tr("Numer programu musi zawierać się\npomiędzy 1 a %1 !").arg(kProgramCount));
  const unsigned firstCount = SceneCountOfProgram(PgmOd);
  if (ScROd < 1 || ScROd > firstCount) {
    return refuse(1, tr("Scena musi zawierać się\npomiędzy %1 a %2 !").arg(1).arg(firstCount));
  }
  if (PgmDo < PgmOd || PgmDo > kProgramCount) {
    return refuse(2,
                  tr("Numer programu musi zawierać się\npomiędzy %1 a %2 !").arg(PgmOd).arg(kProgramCount));
  }
  // Within one program the last scene may not come before the first.
  const unsigned lowest = PgmDo == PgmOd ? ScROd : 1;
  const unsigned lastCount = SceneCountOfProgram(PgmDo);
  if (ScRDo < lowest || ScRDo > lastCount) {
    return refuse(3, tr("Scena musi zawierać się\npomiędzy %1 a %2 !").arg(lowest).arg(lastCount));
  }
  AdresDo_ = Rel2Abs(PgmDo - 1, ScRDo - 1);
  AdresOd_ = Rel2Abs(PgmOd - 1, ScROd - 1);
  return true;
}

}  // namespace kavira
