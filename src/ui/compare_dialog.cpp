#include "ui/compare_dialog.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "link/frames.h"
#include "link/verification.h"
#include "model/numbering.h"

namespace kavira {

// The differences, and the rows the filter lets through. Two images may differ in every channel of
// every scene, so a row keeps only the numbers and values; the texts are made when a row is shown.
class DifferenceModel : public QAbstractTableModel {
 public:
  // `scenePlace` words a scene channel: %1 program, %2 scene within it, %3 device, %4 channel.
  DifferenceModel(QString scenePlace, std::array<QString, CompareDialog::kColumns> headers, QObject* parent)
      : QAbstractTableModel(parent), scenePlace_(std::move(scenePlace)), headers_(std::move(headers)) {}

  // `title`: the place of a settings item or MIDI key as the program shows it (a scene channel's is
  // made from its block and byte).
  void add(const DifferencePlace& p, QString title) {
    rows_.push_back({p.block, static_cast<std::uint32_t>(p.at), p.image, p.controller, std::move(title)});
  }

  // Keeps the rows with `wanted` in one of their cells, whatever the letters' case; all when empty.
  void filter(const QString& wanted) {
    beginResetModel();
    shown_.clear();
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const bool keep = wanted.isEmpty() || std::ranges::any_of(std::array{kPlace, kPc, kOther}, [&](int c) {
                          return cell(rows_[r], c).contains(wanted, Qt::CaseInsensitive);
                        });
      if (keep) shown_.push_back(r);
    }
    endResetModel();
  }

  int total() const { return static_cast<int>(rows_.size()); }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : CompareDialog::kColumns;
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole) return cell(shownRow(index.row()), index.column());
    if (role == Qt::TextAlignmentRole && index.column() != kPlace)
      return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < CompareDialog::kColumns)
      return headers_[static_cast<std::size_t>(section)];
    return {};
  }

  // The header line and the rows shown, tab-separated.
  QString text() const {
    QString all = line(headers_);
    for (std::size_t r : shown_) {
      const Row& row = rows_[r];
      all += line({cell(row, kPlace), cell(row, kPc), cell(row, kOther)});
    }
    return all;
  }

 private:
  static constexpr int kPlace = CompareDialog::kPlace;
  static constexpr int kPc = CompareDialog::kPc;
  static constexpr int kOther = CompareDialog::kOther;

  struct Row {
    std::uint32_t block;
    std::uint32_t at;
    std::string image;
    std::string controller;
    QString title;  // empty for a scene channel
  };

  const Row& shownRow(int r) const { return rows_[shown_[static_cast<std::size_t>(r)]]; }

  QString cell(const Row& row, int column) const {
    switch (column) {
      case kPc:
        return QString::fromStdString(row.image);
      case kOther:
        return QString::fromStdString(row.controller);
      default:
        break;
    }
    if (row.block >= kFirstSettingsBlock) return row.title;
    // Two blocks a scene: the byte within the scene is device (byte / 16) and channel (byte % 16).
    const unsigned byte = (row.block % 2) * static_cast<unsigned>(kBlockBytes) + row.at;
    const unsigned rel = Abs2Rel(row.block / 2);
    return scenePlace_.arg(ProgramOf(rel) + 1).arg(SceneOf(rel) + 1).arg(byte / 16 + 1).arg(byte % 16 + 1);
  }

  // One line of the copied text; a cell stays one cell.
  static QString line(const std::array<QString, CompareDialog::kColumns>& cells) {
    QStringList parts;
    for (QString c : cells)
      parts << c.replace(u'\t', u' ').replace(u'\n', u' ');
    return parts.join(u'\t') + u'\n';
  }

  QString scenePlace_;
  std::array<QString, CompareDialog::kColumns> headers_;
  std::vector<Row> rows_;
  std::vector<std::size_t> shown_;
};

namespace {

// A core message in the language the program shows: its catalogue texts are translated in the
// catalogue's context, numbers and names stay as they are.
QString Shown(const Message& message) {
  return QString::fromStdString(message.Render(
      [](const char* text) { return QCoreApplication::translate("Texts", text).toStdString(); }));
}

}  // namespace

CompareDialog::CompareDialog(const ControllerImage& pc, const ControllerImage& other,
                             std::uint32_t firstBlock, std::uint32_t lastBlock, const QString& otherName,
                             QWidget* parent)
    : QDialog(parent),
      model_(new DifferenceModel(tr("program %1, scena %2, urządzenie %3, kanał %4"),
                                 {tr("Miejsce"), tr("Obraz PC"), otherName}, this)),
      table_(new QTableView(this)),
      filter_(new QLineEdit(this)),
      count_(new QLabel(this)),
      copy_(new QPushButton(tr("Kopiuj"), this)) {
  setObjectName(QStringLiteral("compareDialog"));
  setWindowTitle(tr("Porównanie"));
  table_->setObjectName(QStringLiteral("differences"));
  filter_->setObjectName(QStringLiteral("filterField"));
  count_->setObjectName(QStringLiteral("countLabel"));
  copy_->setObjectName(QStringLiteral("copyButton"));
  auto* close = new QPushButton(tr("Zamknij"), this);
  close->setObjectName(QStringLiteral("closeButton"));
  // Enter in the filter only filters.
  for (QPushButton* b : {copy_, close})
    b->setAutoDefault(false);

  ForEachImageDifference(pc, other, firstBlock, lastBlock, [this](const DifferencePlace& p) {
    model_->add(p, p.block >= kFirstSettingsBlock ? Shown(p.title).trimmed() : QString());
    return true;
  });

  table_->setModel(model_);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setWordWrap(false);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);  // quick with many rows
  // The place takes the room there is; a value column is as wide as its header or a word in hexadecimal.
  QHeaderView* header = table_->horizontalHeader();
  header->setSectionResizeMode(kPlace, QHeaderView::Stretch);
  for (int c : {kPc, kOther}) {
    const QString title = model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    header->resizeSection(c, std::max(header->fontMetrics().horizontalAdvance(title),
                                      table_->fontMetrics().horizontalAdvance(QStringLiteral("ffff0"))) +
                                 24);
  }
  filter_->setPlaceholderText(tr("Filtr: tekst, który wiersz ma zawierać"));
  filter_->setClearButtonEnabled(true);

  auto* top = new QHBoxLayout;
  auto* filterLabel = new QLabel(tr("Filtr :"), this);
  filterLabel->setBuddy(filter_);
  top->addWidget(filterLabel);
  top->addWidget(filter_, 1);
  top->addWidget(count_);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(copy_);
  bottom->addStretch(1);
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(table_, 1);
  layout->addLayout(bottom);

  connect(filter_, &QLineEdit::textChanged, this, [this] { applyFilter(); });
  connect(copy_, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(visibleText()); });
  connect(close, &QPushButton::clicked, this, &QDialog::close);

  applyFilter();
  resize(640, 480);
}

CompareDialog::~CompareDialog() = default;

int CompareDialog::differenceCount() const {
  return model_->total();
}

QString CompareDialog::visibleText() const {
  return model_->text();
}

void CompareDialog::applyFilter() {
  model_->filter(filter_->text().trimmed());
  const int all = model_->total();
  const int shown = model_->rowCount();
  if (all == 0) {
    count_->setText(tr("Brak różnic"));
  } else if (shown == all) {
    count_->setText(tr("Różnice : %1").arg(all));
  } else {
    count_->setText(tr("Różnice : %1 (widoczne : %2)").arg(all).arg(shown));
  }
  filter_->setEnabled(all > 0);
  copy_->setEnabled(shown > 0);
}

}  // namespace kavira
