#include "platform/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QTranslator>
#include <algorithm>
#include <memory>
#include <vector>

#include "model/texts.h"

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

// A catalogue text with placeholders as a pattern: each placeholder matches any text on its line
// (a repeated one the same text again), the rest matches literally.
struct Template {
  const char* source;
  QRegularExpression pattern;
  std::vector<int> groupOf;  // placeholder number - 1 -> capture group (0: not in the template)
  int literalLength = 0;
};

std::vector<Template> BuildTemplates() {
  static const QRegularExpression placeholder(QStringLiteral("%([1-9])"));
  std::vector<Template> list;
  for (const char* text : AllTexts()) {
    const QString source = QString::fromUtf8(text);
    if (!placeholder.match(source).hasMatch()) continue;
    Template t{text, {}, std::vector<int>(9, 0), 0};
    QString pattern = QStringLiteral("^");
    int group = 0;
    qsizetype at = 0;
    for (auto it = placeholder.globalMatch(source); it.hasNext();) {
      const auto m = it.next();
      const QString literal = source.mid(at, m.capturedStart() - at);
      t.literalLength += static_cast<int>(literal.size());
      pattern += QRegularExpression::escape(literal);
      const auto n = static_cast<std::size_t>(m.captured(1).toInt() - 1);
      if (t.groupOf[n] == 0) {
        t.groupOf[n] = ++group;
        pattern += QStringLiteral("(.*)");
      } else {
        pattern += QStringLiteral("\\%1").arg(t.groupOf[n]);
      }
      at = m.capturedEnd();
    }
    t.literalLength += static_cast<int>(source.size() - at);
    pattern += QRegularExpression::escape(source.mid(at)) + QStringLiteral("$");
    t.pattern = QRegularExpression(pattern);
    list.push_back(std::move(t));
  }
  // The most specific template first: "%1 to %2, a nie port szeregowy." before "%1, a nie port ...".
  std::stable_sort(list.begin(), list.end(),
                   [](const Template& a, const Template& b) { return a.literalLength > b.literalLength; });
  return list;
}

const std::vector<Template>& Templates() {
  static const std::vector<Template> list = BuildTemplates();
  return list;
}

QString Translate(const char* source) {
  return QCoreApplication::translate(kContext, source);
}

// One piece of text that is a catalogue text or a composition of one; nothing when it is neither.
std::optional<QString> TranslatePiece(const QString& piece) {
  if (piece.isEmpty()) return std::nullopt;
  const QByteArray utf8 = piece.toUtf8();
  if (const QString exact = Translate(utf8.constData()); exact != piece) return exact;
  for (const Template& t : Templates()) {
    const auto m = t.pattern.match(piece);
    if (!m.hasMatch()) continue;
    std::vector<std::string> args(9);
    for (std::size_t n = 0; n < args.size(); ++n) {
      if (t.groupOf[n] == 0) continue;
      const QString arg = m.captured(t.groupOf[n]);
      // An argument may itself be a catalogue text ("zwykły plik" in "%1 to %2, ...").
      args[n] = TranslatePiece(arg).value_or(arg).toStdString();
    }
    const std::string translated = Translate(t.source).toStdString();
    return QString::fromStdString(Format(
        translated, {args[0], args[1], args[2], args[3], args[4], args[5], args[6], args[7], args[8]}));
  }
  return std::nullopt;
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

QString TranslateQ(std::string_view text) {
  QString source = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  if (CurrentLanguage() == Language::Polish) return source;
  // The longest run of whole lines that is a catalogue text or a composition of one is translated;
  // a line that belongs to none stays as it is.
  const QStringList lines = source.split(QLatin1Char('\n'));
  QStringList out;
  for (qsizetype i = 0; i < lines.size();) {
    qsizetype j = lines.size();
    for (; j > i; --j) {
      if (auto t = TranslatePiece(lines.mid(i, j - i).join(QLatin1Char('\n')))) {
        out << *t;
        break;
      }
    }
    if (j > i) {
      i = j;
    } else {
      out << lines[i++];
    }
  }
  return out.join(QLatin1Char('\n'));
}

std::string TranslateText(std::string_view text) {
  if (CurrentLanguage() == Language::Polish) return std::string(text);
  return TranslateQ(text).toStdString();
}

}  // namespace kavira
