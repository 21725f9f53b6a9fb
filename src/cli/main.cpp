// kaviraob-cli: the controller's link from the command line, and a simulated controller.
#include <QCoreApplication>

#include "cli/cli_command.h"
#include "platform/console.h"

#ifndef KAVIRAOB_VERSION
#define KAVIRAOB_VERSION "unknown"
#endif

int main(int argc, char** argv) {
  kavira::IgnoreFileSizeSignal();
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationVersion(QStringLiteral(KAVIRAOB_VERSION));
  return kavira::cli::RunCommandLine(kavira::CommandLineArguments(argc, argv));
}
