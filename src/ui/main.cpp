// kaviraob: the window program.
#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QSettings>
#include <cstdio>
#include <memory>

#include "platform/console.h"
#include "platform/port_list.h"
#include "platform/pty_simulator.h"
#include "platform/translation.h"
#include "sim/demo_show.h"
#include "ui/main_window.h"
#include "ui/message_box.h"

using namespace kavira;

namespace {

// A simulated controller holding the demonstration show, on a pseudo-terminal of its own.
std::unique_ptr<PtySimulator> StartSimulator() {
  std::string error;
  auto sim = PtySimulator::Start(DemoController(), &error);
  if (!sim) std::fprintf(stderr, "kaviraob: cannot start the simulated controller: %s\n", error.c_str());
  return sim;
}

}  // namespace

int main(int argc, char** argv) {
  IgnoreFileSizeSignal();     // a file size limit fails a save instead of ending the program
  Q_INIT_RESOURCE(pictures);  // the pictures live in a static library
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kaviraob"));
  QApplication::setApplicationVersion(QStringLiteral(KAVIRAOB_VERSION));
  // Names the installed menu entry, so the desktop shows its icon for the program's windows.
  QGuiApplication::setDesktopFileName(QStringLiteral(KAVIRAOB_APP_ID));
  QApplication::setOrganizationName(QStringLiteral("Kavira"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "KaviraOB: reads, edits, saves, writes and verifies the memory of the qz418 Kavira Oxbrine\n"
      "stage-lighting controller, and installs its firmware updates."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption port(
      QStringList{QStringLiteral("port")},
      QStringLiteral("Serial port (device path) to list and search first; may be repeated."),
      QStringLiteral("PATH"));
  const QCommandLineOption simulate(
      QStringList{QStringLiteral("simulate")},
      QStringLiteral("Start a simulated controller (holding a demonstration show) on a "
                     "pseudo-terminal and list it first."));
  const QCommandLineOption lang(QStringList{QStringLiteral("lang")},
                                QStringLiteral("The program's language: pl (the default) or en. Without it, "
                                               "the language last chosen in the menu \"Język / Language\"."),
                                QStringLiteral("LANG"));
  parser.addOption(port);
  parser.addOption(simulate);
  parser.addOption(lang);
  parser.addPositionalArgument(
      QStringLiteral("FILE"),
      QStringLiteral("A data file (.K3s, .K3p or .K3m) to open with the others of its set."),
      QStringLiteral("[FILE]"));
  if (!parser.parse(QApplication::arguments())) {
    std::fprintf(stderr, "kaviraob: %s\nTry 'kaviraob --help'.\n", qPrintable(parser.errorText()));
    return 2;
  }
  if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
  if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
  if (parser.positionalArguments().size() > 1) {
    std::fprintf(stderr, "kaviraob: unexpected argument '%s'\nTry 'kaviraob --help'.\n",
                 qPrintable(parser.positionalArguments().at(1)));
    return 2;
  }

  // The program speaks Polish whatever the system's language, Qt's own dialogs (files) too, unless
  // English is asked for.
  const QString chosen =
      parser.isSet(lang) ? parser.value(lang) : QSettings().value(QStringLiteral("language")).toString();
  std::optional<Language> language = ParseLanguage(chosen.toStdString());
  if (!language && parser.isSet(lang)) {
    std::fprintf(stderr, "kaviraob: --lang wants pl or en, not '%s'\nTry 'kaviraob --help'.\n",
                 qPrintable(chosen));
    return 2;
  }
  if (!SetLanguage(language.value_or(Language::Polish))) SetLanguage(Language::Polish);

  std::vector<std::string> given;
  std::unique_ptr<PtySimulator> simulator;
  if (parser.isSet(simulate)) {
    simulator = StartSimulator();
    if (!simulator) return 1;
    given.push_back(simulator->path());
  }
  for (const QString& p : parser.values(port))
    given.push_back(p.toStdString());

  std::vector<std::string> ports = SystemPortList(given);
  if (ports.empty()) {
    ShowMessageBox(nullptr, TranslateText(Texts::kNoSerialPorts), TranslateText(Texts::kCaptionNoSerialPorts),
                   Buttons::Ok, Icon::Exclamation);
    return -1;
  }

  MainWindow window(std::move(ports));
  window.move(0, 0);
  window.resize(800, 600);
  window.show();
  // The frame is known once the window is shown: make the outer size 800 x 600.
  const QSize frame = window.frameGeometry().size() - window.size();
  window.resize(QSize(800, 600) - frame);
  window.SetSBparts();
  if (!parser.positionalArguments().isEmpty())
    window.openFileSet(parser.positionalArguments().front().toStdString());
  window.startUp();
  const int code = QApplication::exec();
  return code;
}
