// The system's own words for an error code: strerror() on POSIX systems, FormatMessageW() on Windows
// (the codes of the serial calls are Win32 error codes there).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kavira {

// The system's description of `code`, in UTF-8, without a full stop or line break at its end; the
// code itself when the system has no text for it.
std::string SystemErrorText(int code);

// "Input/output error (errno 5)" on POSIX systems, "Access is denied (error 5)" on Windows.
std::string SystemErrorWithCode(int code);

// The code at the end of a box that reports one: "Kod błędu : 5" and "Błąd komunikacji : 5" give 5.
std::optional<int> BoxErrorCode(std::string_view text);

}  // namespace kavira
