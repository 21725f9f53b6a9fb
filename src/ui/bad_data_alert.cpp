#include "ui/bad_data_alert.h"

#include <QLineEdit>
#include <QWidget>

namespace kavira {

int BadDataAlert(QWidget* dialog, QWidget* field, std::string_view text, Host& host) {
  host.messageBox(text, "Ostrzeżenie :", Buttons::Ok, Icon::Stop);
  // The box was owned by the main window; give the keyboard back to the dialog.
  if (dialog != nullptr && dialog->isVisible()) dialog->activateWindow();
  if (field != nullptr) {
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  }
  return 1;
}

}  // namespace kavira
