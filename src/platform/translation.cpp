#include "platform/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace kavira {
namespace {

// The translation context of the catalogue (KAVIRA_TEXT_CONTEXT in model/texts.h).
constexpr const char* kContext = "Texts";

struct State {
  Language language = Language::Polish;
  std::unique_ptr<QTranslator> program;
  std::unique_ptr<QTranslator> qt;
};
State& Current() {
  static State state;
  return state;
}

std::string Translate(const char* source) {
  return QCoreApplication::translate(kContext, source).toStdString();
}

}  // namespace

std::optional<Language> ParseLanguage(std::string_view code) {
  if (code == "pl") return Language::Polish;
  if (code == "en") return Language::English;
  return std::nullopt;
}

const char* LanguageCode(Language language) {
  return language == Language::English ? "en" : "pl";
}

bool SetLanguage(Language language) {
  State& s = Current();
  for (auto* t : {s.program.get(), s.qt.get()}) {
    if (t != nullptr) QCoreApplication::removeTranslator(t);
  }
  s.program.reset();
  s.qt.reset();
  s.language = Language::Polish;
  const QLocale locale(language == Language::English ? QLocale::English : QLocale::Polish);
  // Qt's own texts (the file dialog's buttons): Polish or English, whatever the system's language.
  auto qt = std::make_unique<QTranslator>();
  if (language == Language::Polish && qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                                               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt.get());
    s.qt = std::move(qt);
  }
  if (language == Language::Polish) return true;
  auto program = std::make_unique<QTranslator>();
  if (!program->load(QStringLiteral(":/i18n/kaviraob_en.qm"))) return false;
  QCoreApplication::installTranslator(program.get());
  s.program = std::move(program);
  s.language = language;
  return true;
}

Language CurrentLanguage() {
  return Current().language;
}

std::string TranslateText(const Message& message) {
  if (CurrentLanguage() == Language::Polish) return message.Polish();
  return message.Render(Translate);
}

QString TranslateQ(const Message& message) {
  return QString::fromStdString(TranslateText(message));
}

}  // namespace kavira
