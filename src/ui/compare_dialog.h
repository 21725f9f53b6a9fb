// "Porównanie": every difference between the PC's image and another one (the controller's, read into an
// image, or a set of data files) over a range of blocks, in one table: where, the PC's value and the
// other's, in the words of a verify. A filter hides the rows that do not contain its text, "Kopiuj" puts
// the rows shown on the clipboard as tab-separated text for a spreadsheet.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

#include "model/controller_image.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace kavira {

class DifferenceModel;

class CompareDialog : public QDialog {
  Q_OBJECT

 public:
  // Columns of the table: where, the PC's value, the other's.
  enum Column { kPlace, kPc, kOther, kColumns };

  // Compares blocks first-last (0-2043 scenes, 2044-2045 settings, 2046-2047 MIDI) of `pc` with `other`
  // at once, `other` in the controller's place. The images are read only here, not kept: the table
  // shows them as they were when the dialog was made. `otherName` heads the other side's column as it
  // stands ("Sterownik", a file's name). Meant to be shown without a modal loop.
  // The table is "differences", the filter "filterField", the count "countLabel", the buttons
  // "copyButton" and "closeButton".
  CompareDialog(const ControllerImage& pc, const ControllerImage& other, std::uint32_t firstBlock,
                std::uint32_t lastBlock, const QString& otherName, QWidget* parent = nullptr);
  ~CompareDialog() override;

  int differenceCount() const;
  // The header line and the rows the filter lets through, cells separated by tabs, one line each.
  QString visibleText() const;

 private:
  void applyFilter();

  DifferenceModel* model_;
  QTableView* table_;
  QLineEdit* filter_;
  QLabel* count_;
  QPushButton* copy_;
};

}  // namespace kavira
