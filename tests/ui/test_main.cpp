// Runs the widget tests on the offscreen platform (unless a platform is chosen), with a private
// runtime folder and without the offscreen plugin's chatter.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>

namespace {

void FilterMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (message.contains(QStringLiteral("This plugin does not support"))) return;
  std::fprintf(stderr, "%s\n", qPrintable(message));
  if (type == QtFatalMsg) std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  char runtimeDir[] = "/tmp/kavira-test-ui-XXXXXX";
  const bool ownRuntimeDir = mkdtemp(runtimeDir) != nullptr;
  if (ownRuntimeDir) {
    qputenv("XDG_RUNTIME_DIR", runtimeDir);
    qputenv("XDG_CONFIG_HOME", runtimeDir);  // the language choice is not kept in the user's settings
  }
  qInstallMessageHandler(FilterMessages);
  int rc = 0;
  {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    rc = RUN_ALL_TESTS();
  }
  if (ownRuntimeDir) {
    std::error_code ignored;
    std::filesystem::remove_all(runtimeDir, ignored);
  }
  return rc;
}
