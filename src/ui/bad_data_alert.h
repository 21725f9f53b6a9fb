// The warning with which every editing dialog rejects an input field: a stop box, then the field gets
// the focus with its whole text selected so that the user can type the correction at once.
#pragma once

#include <QtGlobal>
#include <string>
#include <string_view>

#include "link/host.h"

class QWidget;

namespace kavira {

// The text every dialog shows for a number it cannot take.
inline constexpr const char* kInvalidValueText =
    QT_TRANSLATE_NOOP("kavira::BadDataAlert", "Nieprawidłowa wartośc !");
// The same in the program's current language.
std::string InvalidValueText();

// Shows `text` with the caption "Ostrzeżenie :", the stop icon and OK, then puts the focus on `field`
// (a line edit gets its whole text selected). Returns 1, the "handled" result of a dialog procedure.
// `text` is shown in the current language when it is one of this file's texts.
int BadDataAlert(QWidget* dialog, QWidget* field, std::string_view text, Host& host);

}  // namespace kavira
