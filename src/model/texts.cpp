#include "model/texts.h"

#include <array>

namespace kavira {

std::span<const char* const> AllTexts() {
#define KAVIRA_TEXT_NAME(name, text) Texts::name,
  static constexpr std::array kAll{KAVIRA_TEXTS(KAVIRA_TEXT_NAME)};
#undef KAVIRA_TEXT_NAME
  return kAll;
}

namespace {

// Format over any list of arguments that `at(n)` gives.
template <typename Args>
std::string FormatWith(std::string_view templ, const Args& args) {
  std::string out;
  out.reserve(templ.size());
  for (std::size_t i = 0; i < templ.size(); ++i) {
    const char c = templ[i];
    if (c == '%' && i + 1 < templ.size() && templ[i + 1] >= '1' && templ[i + 1] <= '9') {
      const auto n = static_cast<std::size_t>(templ[i + 1] - '1');
      if (n < args.size()) {
        out += *(args.begin() + static_cast<std::ptrdiff_t>(n));
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace

std::string Format(std::string_view templ, std::initializer_list<std::string_view> args) {
  return FormatWith(templ, args);
}

std::string Format(std::string_view templ, const std::vector<std::string>& args) {
  return FormatWith(templ, args);
}

}  // namespace kavira
