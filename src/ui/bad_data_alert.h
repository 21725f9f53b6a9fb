// The warning with which every editing dialog rejects an input field: a stop box, then the field gets
// the focus with its whole text selected so that the user can type the correction at once.
#pragma once

#include <string_view>

#include "link/host.h"

class QWidget;

namespace kavira {

// The text every dialog shows for a number it cannot take.
inline constexpr std::string_view kInvalidValueText = "Nieprawidłowa wartośc !";

// Shows `text` with the caption "Ostrzeżenie :", the stop icon and OK, then puts the focus on `field`
// (a line edit gets its whole text selected). Returns 1, the "handled" result of a dialog procedure.
int BadDataAlert(QWidget* dialog, QWidget* field, std::string_view text, Host& host);

}  // namespace kavira
