#include "ui/bad_data_alert.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QWidget>

namespace kavira {

std::string InvalidValueText() {
  return QCoreApplication::translate("kavira::BadDataAlert", kInvalidValueText).toStdString();
}

int BadDataAlert(QWidget* dialog, QWidget* field, std::string_view text, Host& host) {
  // The dialogs' own texts, translated here in their own context.
  host.messageBox(
      Message::Text(
          QCoreApplication::translate("kavira::BadDataAlert", std::string(text).c_str()).toStdString()),
      Message::Text(QCoreApplication::translate("kavira::BadDataAlert", "Ostrzeżenie :").toStdString()),
      Buttons::Ok, Icon::Stop, MessageKind::Warning);
  // The box was owned by the main window; give the keyboard back to the dialog.
  if (dialog != nullptr && dialog->isVisible()) dialog->activateWindow();
  if (field != nullptr) {
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  }
  return 1;
}

}  // namespace kavira
