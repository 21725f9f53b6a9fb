// "Cofnij zapis z dziennika...": the undo journals of the program's folders, newest first, with when
// each was kept, its area, its blocks and whether an undo kept it. "Cofnij zapis" undoes the journal
// chosen, "Inny plik..." opens the file dialog for a journal kept elsewhere.
#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "files/changes_run.h"

class QTreeWidget;
class QPushButton;

namespace kavira {

class JournalListDialog : public QDialog {
  Q_OBJECT

 public:
  // Results of exec(): a journal was chosen (chosen() says which), the file dialog was asked for.
  static constexpr int kChosen = 1;
  static constexpr int kOtherFile = 2;

  // The list is named "journals", the buttons "undoButton", "otherButton" and "cancelButton".
  explicit JournalListDialog(const std::vector<JournalRow>& rows, QWidget* parent = nullptr);

  // The row chosen, when the dialog ended with kChosen.
  std::optional<std::size_t> chosen() const;

 private:
  QTreeWidget* list_;
  QPushButton* undo_;
};

}  // namespace kavira
