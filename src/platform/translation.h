// The program's language. Polish is the source language: with it every text is shown exactly as the
// core and the dialogs write it. English comes from translations/kaviraob_en.ts, built into the
// program. The core's messages (model/message.h) reach the window program and kaviraob-cli as catalogue
// templates with their arguments and are translated here, where they reach the user: each catalogue
// text is looked up, and the rest (numbers, names, reasons) is kept exactly as it is.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "model/message.h"

namespace kavira {

enum class Language { Polish, English };

// "pl" or "en"; nothing for anything else.
std::optional<Language> ParseLanguage(std::string_view code);
const char* LanguageCode(Language language);

// Installs the translation of `language` in the running application (Qt's own texts included, where
// Qt's translations are installed); false when its texts could not be loaded.
bool SetLanguage(Language language);
Language CurrentLanguage();

// A message of the core in the current language.
std::string TranslateText(const Message& message);
QString TranslateQ(const Message& message);

}  // namespace kavira
