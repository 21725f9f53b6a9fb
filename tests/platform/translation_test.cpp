// The English translation: complete for every catalogue text, and messages translated with their
// numbers, names and reasons kept as they are.
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
  using T = Texts;
  const auto text = [](const char* t) { return Message::Text(t); };
  const struct {
    Message message;
    const char* polish;
    const char* english;
  } cases[] = {
      {T::kCaptionFailure, "Niepowodzenie", "Failure"},
      {Message(T::kLinkFailure, {Message(T::kNoData, {"3"})}), "Błąd komunikacji : brak danych : 3",
       "Communication error: missing data: 3"},
      {Message(T::kSceneDiffers, {"11", "2"}) + text("\n ( 0 <> 8 )\n") + T::kVerifyQuestion,
       "Błąd weryfikacji : scena 11 kanał 2\n ( 0 <> 8 )\nKontynuować sprawdzanie ?",
       "Verification error: scene 11 channel 2\n ( 0 <> 8 )\nContinue checking?"},
      {Message::Lines({Message(T::kWriteFailed, {"/x/show.K3p"}), text("No space left on device"),
                       Message(T::kNewDataIn, {"show.K3s"}), Message(T::kUnchanged, {"show.K3p, show.K3m"})}),
       "/x/show.K3p :\nBłąd zapisu !\nNo space left on device\nNowe dane zapisano w: show.K3s\nBez zmian "
       "pozostały: show.K3p, show.K3m",
       "/x/show.K3p:\nWrite error!\nNo space left on device\nNew data saved in: show.K3s\nLeft unchanged: "
       "show.K3p, show.K3m"},
      // An argument that is a catalogue text is translated with the rest; names stay as they are, also
      // a name that happens to be a catalogue word.
      {Message(T::kNoDeviceHere, {text("/dev/x"), text("x"), Message(T::kKindNotAPort, {T::kKindFile})}),
       "Nie ma urządzenia /dev/x; x w bieżącym folderze to zwykły plik, a nie port szeregowy.",
       "There is no device /dev/x; x in the current folder is a regular file, not a serial port."},
      {Message(T::kIsNotAPort, {text("Niepowodzenie"), T::kKindFolder}),
       "Niepowodzenie to folder, a nie port szeregowy.", "Niepowodzenie is a folder, not a serial port."},
      {Message(T::kFileMissing, {std::string("folder")}), "Plik folder nie istnieje !",
       "File folder does not exist!"},
      {Message(T::kAskDowngrade, {"1.05", "1.04"}),
       "Czy na pewno chcesz zastąpić w swoim Kavira-Oxbrine\nfirmware w wersji 1.05 wersją 1.04 ?",
       "Do you really want to replace firmware version 1.05\nin your Kavira-Oxbrine with version 1.04?"},
      // An argument's own placeholder stays as it is.
      {Message(T::kSystemError, {"%1"}), "Kod błędu : %1", "Error code: %1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.polish);
    EXPECT_EQ(c.message.Polish(), c.polish);
    EXPECT_EQ(TranslateText(c.message), c.english);
  }
  ASSERT_TRUE(SetLanguage(Language::Polish));
  for (const auto& c : cases)
    EXPECT_EQ(TranslateText(c.message), c.polish);
}

TEST(Translation, LanguageCodes) {
  EXPECT_EQ(ParseLanguage("pl"), Language::Polish);
  EXPECT_EQ(ParseLanguage("en"), Language::English);
  for (const char* bad : {"", "EN", "de", "english"})
    EXPECT_EQ(ParseLanguage(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace kavira
