// Runs the widget tests on the offscreen platform (unless a platform is chosen), with a private
// runtime folder and without the offscreen plugin's chatter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void FilterMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (message.contains(QStringLiteral("This plugin does not support"))) return;
  // Wine's Windows lacks a call Qt tries for each window.
  if (message.startsWith(QStringLiteral("EnableNonClientDpiScaling() failed"))) return;
  std::fprintf(stderr, "%s\n", qPrintable(message));
  if (type == QtFatalMsg) std::abort();
}

}  // namespace

int main(int argc, char** argv) {
#ifndef Q_OS_WIN
  // Windows has no offscreen platform in every Qt build: there the tests use the windows one.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  const QTemporaryDir runtimeDir(QDir::tempPath() + QStringLiteral("/kavira-test-ui-XXXXXX"));
  if (runtimeDir.isValid()) {
    const QByteArray path = QFile::encodeName(runtimeDir.path());
    qputenv("XDG_RUNTIME_DIR", path);
    qputenv("XDG_CONFIG_HOME", path);  // the language choice is not kept in the user's settings
    // Nor in Windows' registry.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, runtimeDir.path());
  }
  qInstallMessageHandler(FilterMessages);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
