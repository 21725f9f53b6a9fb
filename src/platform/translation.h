// The program's language. Polish is the source language: with it every text is shown exactly as the
// core and the dialogs write it. English comes from translations/kaviraob_en.ts, built into the
// program. The core's texts (model/texts.h) reach the window program and kaviraob-cli in Polish and
// are translated here, where they reach the user; composed texts are matched against the catalogue's
// templates, line by line, so that their numbers, names and reasons are kept.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace kavira {

enum class Language { Polish, English };

// "pl" or "en"; nothing for anything else.
std::optional<Language> ParseLanguage(std::string_view code);
const char* LanguageCode(Language language);

// Installs the translation of `language` in the running application (Qt's own texts included, where
// Qt's translations are installed); false when its texts could not be loaded.
bool SetLanguage(Language language);
Language CurrentLanguage();

// A text of the core (a catalogue text, or one composed from catalogue texts) in the current language.
// Lines that no catalogue text matches (a file name, the system's reason) stay as they are.
std::string TranslateText(std::string_view text);
QString TranslateQ(std::string_view text);

}  // namespace kavira
