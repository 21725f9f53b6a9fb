// The English translation: complete for every catalogue text, and composed texts translated with their
// numbers, names and reasons kept.
#include "platform/translation.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>
#include <map>

#include "model/texts.h"

namespace kavira {
namespace {

struct Entry {
  QString translation;
  bool finished = false;
};

// context -> source -> translation, read from the .ts file in the repository.
std::map<QString, std::map<QString, Entry>> ReadTs() {
  std::map<QString, std::map<QString, Entry>> ts;
  QFile file(QStringLiteral(KAVIRA_SOURCE_DIR "/translations/kaviraob_en.ts"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  QString context, source;
  while (xml.readNext() != QXmlStreamReader::EndDocument && !xml.hasError()) {
    if (!xml.isStartElement()) continue;
    if (xml.name() == QLatin1String("name")) {
      context = xml.readElementText();
    } else if (xml.name() == QLatin1String("source")) {
      source = xml.readElementText();
    } else if (xml.name() == QLatin1String("translation")) {
      const auto type = xml.attributes().value(QLatin1String("type")).toString();
      const QString text = xml.readElementText();
      ts[context][source] = {text, type.isEmpty() && !text.isEmpty()};
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return ts;
}

TEST(Translation, EveryTextHasAFinishedEnglishTranslation) {
  const auto ts = ReadTs();
  ASSERT_TRUE(ts.count(QStringLiteral("Texts")));
  const auto& texts = ts.at(QStringLiteral("Texts"));
  for (const char* text : AllTexts()) {
    SCOPED_TRACE(text);
    const auto it = texts.find(QString::fromUtf8(text));
    ASSERT_NE(it, texts.end()) << "not in the .ts: run the update_translations target";
    EXPECT_TRUE(it->second.finished);
  }
  // Nothing anywhere left unfinished, and no catalogue text missing from AllTexts().
  EXPECT_EQ(texts.size(), AllTexts().size());
  for (const auto& [context, messages] : ts) {
    for (const auto& [source, entry] : messages)
      EXPECT_TRUE(entry.finished) << context.toStdString() << ": " << source.toStdString();
  }
}

TEST(Translation, ComposedTextsKeepTheirNumbersNamesAndReasons) {
  ASSERT_TRUE(SetLanguage(Language::English));
  const struct {
    const char* polish;
    const char* english;
  } cases[] = {
      {"Niepowodzenie", "Failure"},
      {"Kod błędu : 5 (Input/output error)", "Error code: 5 (Input/output error)"},
      {"Błąd komunikacji : brak danych : 3", "Communication error: missing data: 3"},
      {"Błąd weryfikacji : scena 11 kanał 2\n ( 0 <> 8 )\nKontynuować sprawdzanie ?",
       "Verification error: scene 11 channel 2\n ( 0 <> 8 )\nContinue checking?"},
      {"/x/show.K3p :\nBłąd zapisu !\nNo space left on device\nNowe dane zapisano w: show.K3s\nBez zmian "
       "pozostały: show.K3p, show.K3m",
       "/x/show.K3p:\nWrite error!\nNo space left on device\nNew data saved in: show.K3s\nLeft unchanged: "
       "show.K3p, show.K3m"},
      {"Nie ma urządzenia /dev/x; x w bieżącym folderze to zwykły plik, a nie port szeregowy.",
       "There is no device /dev/x; x in the current folder is a regular file, not a serial port."},
      {"Brak uprawnień do /dev/ttyS0. Dodaj swoje konto do grupy uucp (sudo usermod -aG uucp $USER), a potem "
       "wyloguj się i zaloguj ponownie.",
       "No permission for /dev/ttyS0. Add your account to the group uucp (sudo usermod -aG uucp $USER), then "
       "log "
       "out and log in again."},
      {"Czy na pewno chcesz zastąpić w swoim Kavira-Oxbrine\nfirmware w wersji 1.05 wersją 1.04 ?",
       "Do you really want to replace firmware version 1.05\nin your Kavira-Oxbrine with version 1.04?"},
      {"No catalogue text %1 here", "No catalogue text %1 here"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.polish);
    EXPECT_EQ(TranslateText(c.polish), c.english);
  }
  ASSERT_TRUE(SetLanguage(Language::Polish));
  for (const auto& c : cases)
    EXPECT_EQ(TranslateText(c.polish), c.polish);
}

TEST(Translation, LanguageCodes) {
  EXPECT_EQ(ParseLanguage("pl"), Language::Polish);
  EXPECT_EQ(ParseLanguage("en"), Language::English);
  for (const char* bad : {"", "EN", "de", "english"})
    EXPECT_EQ(ParseLanguage(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace kavira
