// Reading a text part by part: the lines of an Intel HEX file, the fields of a misbehaviour rule.
#pragma once

#include <cstddef>
#include <string_view>

namespace kavira {

// The text from `pos` to the next `separator` (or the end); `pos` moves past the separator.
inline std::string_view NextPart(std::string_view text, std::size_t& pos, char separator) {
  std::size_t end = text.find(separator, pos);
  if (end == std::string_view::npos) end = text.size();
  const std::string_view part = text.substr(pos, end - pos);
  pos = end + 1;
  return part;
}

}  // namespace kavira
