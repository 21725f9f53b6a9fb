#include "platform/journal_folder.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace kavira {
namespace {

// The journal folder of an application named kaviraob under `organisation`: AppDataLocation depends on
// both names, so they are set for the question and put back.
std::filesystem::path JournalsUnder(const QString& organisation) {
  const QString ownName = QCoreApplication::applicationName();
  const QString ownOrganisation = QCoreApplication::organizationName();
  QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
  QCoreApplication::setOrganizationName(organisation);
  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  QCoreApplication::setOrganizationName(ownOrganisation);
  QCoreApplication::setApplicationName(ownName);
  const QByteArray utf8 = (data + QStringLiteral("/journals")).toUtf8();
  return {std::u8string(reinterpret_cast<const char8_t*>(utf8.constData()),
                        static_cast<std::size_t>(utf8.size()))};
}

}  // namespace

std::filesystem::path DefaultJournalFolder() {
  return JournalsUnder(QString());
}

std::vector<std::filesystem::path> JournalFolders() {
  std::vector<std::filesystem::path> folders{DefaultJournalFolder()};
  const std::filesystem::path former = JournalsUnder(QStringLiteral("Kavira"));
  if (former != folders.front()) folders.push_back(former);
  return folders;
}

}  // namespace kavira
