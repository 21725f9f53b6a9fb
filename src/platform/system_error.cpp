#include "platform/system_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstring>
#endif

#include <charconv>

#include "model/texts.h"

namespace kavira {

std::string SystemErrorText(int code) {
  std::string text;
#ifdef _WIN32
  wchar_t* buffer = nullptr;
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                         FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                     nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (n > 0 && buffer != nullptr) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(size > 0 ? size : 0));
    if (size > 0)
      WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(n), text.data(), size, nullptr, nullptr);
  }
  if (buffer != nullptr) LocalFree(buffer);
#else
  text = std::strerror(code);
#endif
  while (!text.empty() &&
         (text.back() == ' ' || text.back() == '.' || text.back() == '\r' || text.back() == '\n'))
    text.pop_back();
  return text.empty() ? std::to_string(code) : text;
}

std::string SystemErrorWithCode(int code) {
#ifdef _WIN32
  return SystemErrorText(code) + " (error " + std::to_string(code) + ")";
#else
  return SystemErrorText(code) + " (errno " + std::to_string(code) + ")";
#endif
}

std::optional<int> BoxErrorCode(std::string_view text) {
  for (std::string_view templ :
       {std::string_view(Texts::kSystemError), std::string_view(Texts::kLinkFailure)}) {
    const std::string_view prefix = templ.substr(0, templ.find("%1"));
    if (text.size() <= prefix.size() || text.substr(0, prefix.size()) != prefix) continue;
    const std::string_view digits = text.substr(prefix.size());
    int code = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), code);
    if (ec == std::errc{} && end == digits.data() + digits.size() && code >= 0) return code;
  }
  return std::nullopt;
}

}  // namespace kavira
