// How the dialogs read numbers out of their edit fields.
#pragma once

#include <QString>
#include <optional>

namespace kavira {

// A field read as an unsigned number: digits with blanks around them; anything else (an empty field,
// a sign, a letter, a number above 4294967295) is not a number. Callers that take "not a number" as 0
// write ReadUnsigned(text).value_or(0).
std::optional<unsigned> ReadUnsigned(const QString& text);

// The integer a text starts with: leading blanks skipped, an optional sign, then digits up to the first
// other character ("12ab" is 12). Nothing when no digit follows. Values beyond +-999999999 are held at
// that bound, which lies outside every range the dialogs accept.
std::optional<int> ReadLeadingInt(const QString& text);

// A field that is empty or holds only blanks.
bool IsBlank(const QString& text);

}  // namespace kavira
