#include "platform/journal_folder.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace kavira {

std::filesystem::path DefaultJournalFolder() {
  // AppDataLocation depends on the application's name: ask under the window program's.
  const QString own = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  QCoreApplication::setApplicationName(own);
  const QByteArray utf8 = (data + QStringLiteral("/journals")).toUtf8();
  return {std::u8string(reinterpret_cast<const char8_t*>(utf8.constData()),
                        static_cast<std::size_t>(utf8.size()))};
}

}  // namespace kavira
