#include "ui/journal_list_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "files/path_text.h"
#include "platform/translation.h"

namespace kavira {

JournalListDialog::JournalListDialog(const std::vector<JournalRow>& rows, QWidget* parent) : QDialog(parent) {
  setWindowTitle(TranslateQ(Texts::kChooseJournal));
  setModal(true);
  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("journals"));
  list_->setRootIsDecorated(false);
  list_->setAllColumnsShowFocus(true);
  list_->setHeaderLabels({tr("Czas"), tr("Obszar"), tr("Bloki"), tr("Cofnięcie")});
  for (const JournalRow& row : rows) {
    auto* item = new QTreeWidgetItem(list_);
    if (row.readable) {
      item->setText(0, QString::fromStdString(row.time));
      item->setText(1, TranslateQ(row.area));
      item->setText(2, TranslateQ(row.blocks));
      item->setText(3, row.undo ? tr("tak") : QString());
    } else {
      // Shown, but not to be chosen: the reason is the tooltip.
      item->setText(0, QString::fromStdString(PathToUtf8(row.path.filename())));
      item->setText(1, tr("błędny dziennik"));
      item->setToolTip(1, QString::fromStdString(row.error));
      item->setFlags(item->flags() & ~Qt::ItemIsSelectable & ~Qt::ItemIsEnabled);
    }
    item->setToolTip(0, QString::fromStdString(PathToUtf8(row.path)));
  }
  for (int c = 0; c < 4; ++c)
    list_->resizeColumnToContents(c);
  list_->setMinimumWidth(640);

  undo_ = new QPushButton(tr("Cofnij zapis"), this);
  auto* other = new QPushButton(tr("Inny plik..."), this);
  auto* cancel = new QPushButton(tr("Anuluj"), this);
  undo_->setObjectName(QStringLiteral("undoButton"));
  other->setObjectName(QStringLiteral("otherButton"));
  cancel->setObjectName(QStringLiteral("cancelButton"));
  undo_->setDefault(true);
  connect(undo_, &QPushButton::clicked, this, [this] {
    if (chosen()) done(kChosen);
  });
  connect(other, &QPushButton::clicked, this, [this] { done(kOtherFile); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] {
    if (chosen()) done(kChosen);
  });
  const auto enable = [this] { undo_->setEnabled(chosen().has_value()); };
  connect(list_, &QTreeWidget::itemSelectionChanged, this, enable);
  // The newest readable journal is chosen at first.
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    if (list_->topLevelItem(i)->flags() & Qt::ItemIsSelectable) {
      list_->setCurrentItem(list_->topLevelItem(i));
      break;
    }
  }
  enable();

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(undo_);
  buttons->addWidget(other);
  buttons->addStretch();
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);
}

std::optional<std::size_t> JournalListDialog::chosen() const {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  const int index = list_->indexOfTopLevelItem(selected.front());
  if (index < 0) return std::nullopt;
  return static_cast<std::size_t>(index);
}

}  // namespace kavira
