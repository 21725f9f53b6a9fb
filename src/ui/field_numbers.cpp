#include "ui/field_numbers.h"

namespace kavira {

std::optional<unsigned> ReadUnsigned(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  unsigned long long value = 0;
  for (const QChar c : t) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c.unicode() - u'0');
    if (value > 0xFFFFFFFFULL) return std::nullopt;
  }
  return static_cast<unsigned>(value);
}

std::optional<int> ReadLeadingInt(const QString& text) {
  constexpr long long kBound = 999999999;
  qsizetype i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  long long value = 0;
  bool digits = false;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    digits = true;
    value = value * 10 + (text[i].unicode() - u'0');
    if (value > kBound) value = kBound;
  }
  if (!digits) return std::nullopt;
  return static_cast<int>(negative ? -value : value);
}

bool IsBlank(const QString& text) {
  return text.trimmed().isEmpty();
}

}  // namespace kavira
