// The program's message boxes on screen: a QMessageBox with the Polish button texts, answered with the
// button pressed. The window program's Host shows every box of the core through ShowMessageBox.
#pragma once

#include <memory>
#include <string_view>

#include "link/host.h"

class QAbstractButton;
class QMessageBox;
class QWidget;

namespace kavira {

// Runs a modal box over `parent`. Closing it (Escape or the window's close button) counts as Cancel,
// No or Abort, whichever the buttons offer, and as Ok for a box with OK only.
Answer ShowMessageBox(QWidget* parent, std::string_view text, std::string_view caption, Buttons buttons,
                      Icon icon);

// The box that ShowMessageBox runs, built but not shown, so that it can be inspected.
std::unique_ptr<QMessageBox> BuildMessageBox(QWidget* parent, std::string_view text, std::string_view caption,
                                             Buttons buttons, Icon icon);

// The answer a button of a built box stands for; nullptr (no button) gives the closing answer.
Answer AnswerOf(const QMessageBox& box, const QAbstractButton* clicked);

}  // namespace kavira
