// What the dialog tests share: an image on the heap, a shown and active dialog, and typing into fields
// the way a user does.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "model/controller_image.h"
#include "scripted_host.h"

namespace kavira::test {

inline std::unique_ptr<ControllerImage> ZeroImage() {
  return std::make_unique<ControllerImage>();
}

// Shows the dialog without a modal loop and makes it the active window, so that focus moves as it
// does on screen (fields are checked when they lose the focus).
inline void ShowActive(QWidget& dialog) {
  dialog.show();
  QApplication::setActiveWindow(&dialog);
}

// Replaces the text of a field by typing, as a user selecting the field's text and typing over it.
inline void Retype(QLineEdit* field, const QString& text) {
  field->setFocus(Qt::MouseFocusReason);
  field->selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(field, Qt::Key_Delete);
  } else {
    QTest::keyClicks(field, text);
  }
}

inline void Click(QWidget* w) {
  QTest::mouseClick(w, Qt::LeftButton);
}

}  // namespace kavira::test
