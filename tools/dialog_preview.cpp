// Opens one editing dialog over a demo image, or the main window against a simulated controller, to look
// at it or to take its picture:
//   dialog_preview scene|midi|settings|window|window-overview|overview|paste|compare [picture.png]
// window-overview: the window program reads the whole simulated controller with its show overview open.
// With a file name the dialog is shown, saved as a picture and the program ends.
#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <memory>

#include "link/host.h"
#include "model/controller_image.h"
#include "model/numbering.h"
#include "platform/port_list.h"
#include "platform/pty_simulator.h"
#include "platform/translation.h"
#include "sim/demo_show.h"
#include "sim/sim_controller.h"
#include "ui/compare_dialog.h"
#include "ui/main_window.h"
#include "ui/menus.h"
#include "ui/message_box.h"
#include "ui/midi_dialog.h"
#include "ui/scene_editor_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/show_overview.h"

namespace {

using namespace kavira;

class PreviewHost : public Host {
 public:
  Answer messageBox(const Message& text, const Message& caption, Buttons buttons, Icon icon,
                    MessageKind) override {
    return ShowMessageBox(nullptr, text.Polish(), caption.Polish(), buttons, icon);
  }
  void setStatusText(int part, const Message& text) override {
    std::cout << "status " << part << ": " << text.Polish() << '\n';
  }
  void setProgress(int) override {}
  void enableMenuEntry(int, bool) override {}
  void repaint() override {}
  std::optional<std::string> chooseFile(const FileRequest&) override { return std::nullopt; }
};

std::unique_ptr<ControllerImage> DemoImage() {
  auto image = std::make_unique<ControllerImage>();
  for (unsigned c = 1; c <= 16; ++c) {
    image->Sceny[0][ChannelIndex(1, c)] = static_cast<std::uint8_t>(c * 15);
    image->Sceny[0][ChannelIndex(2, c)] = static_cast<std::uint8_t>(255 - c * 15);
  }
  const std::uint8_t speeds[] = {12, 0, 255, 254, 31, 100};
  for (std::size_t p = 0; p < kProgramCount; ++p) {
    image->PgmSpeed[p] = speeds[p % 6];
    image->PgmFade[p] = static_cast<std::uint8_t>(p * 5);
    image->PgmEnds[p] = static_cast<std::uint8_t>(p % 3 == 0 ? 0 : SceneCount(static_cast<unsigned>(p)));
  }
  for (std::size_t c = 0; c < kCollectionCount; ++c) {
    image->Shows[0][c] = static_cast<std::uint8_t>(c);
    image->Shows[1][c] = c % 2 == 0 ? kEmptyCollection : static_cast<std::uint8_t>(c + 16);
    image->Shows[2][c] = static_cast<std::uint8_t>(47 - c);
  }
  for (std::size_t k = 0; k < kMidiKeyCount; ++k) {
    MidiStat m;
    m.setAScena(static_cast<unsigned>(k * 8));
    m.setBit(MidiStat::kTrigK1, k % 2 == 0);
    m.setBit(MidiStat::kTrigK2, k % 3 == 0);
    m.setBit(MidiStat::kAssoc1, k % 2 == 1);
    m.setBit(MidiStat::kAssoc3, true);
    image->Midi[k] = m;
  }
  image->StrobScene = 33;
  image->FogScene = kNoScene;
  image->ExtraScene = 1021;
  image->ExtraMode = 0x0004;
  image->SlowMode = kSlowModeOn;
  return image;
}

// The main window, 800 x 600, against a simulated controller holding the demo show: after the search
// has found it and read its version, half-way through a read of everything.
int PreviewWindow(const QString& picture, bool overview) {
  std::string error;
  auto sim = PtySimulator::Start(DemoController(), &error);
  if (!sim) {
    std::fprintf(stderr, "dialog_preview: cannot start the simulated controller: %s\n", error.c_str());
    return 1;
  }
  MainWindow window(SystemPortList({sim->path()}));
  window.resize(800, 600);
  window.show();
  window.SetSBparts();
  window.startUp();
  if (picture.isEmpty()) return QApplication::exec();
  int rc = 1;
  QTimer::singleShot(2500, [&] {
    // "Odczyt ze sterownika" -> "Wszystko" through the menus, as a user starts it.
    QMenu* actions = window.menus().menu(kActionMenu);
    emit actions->hovered(window.menus().actionEntry(2));
    window.command(kIdEverything);
    if (overview) window.command(kIdOverview);
    QTimer::singleShot(overview ? 8000 : 1500, [&] {
      QWidget* shown = overview ? static_cast<QWidget*>(window.overview()) : &window;
      rc = shown->grab().save(picture) ? 0 : 1;
      window.engine().stop();
      QApplication::exit(0);  // the read left unsaved changes: quit() would ask about them
    });
  });
  QApplication::exec();
  return rc;
}

// The show overview over the demo show; `paste`: just after three scenes were copied and pasted.
std::unique_ptr<QWidget> Overview(ControllerImage& image, bool paste) {
  FillDemoShow(image);
  auto overview = std::make_unique<ShowOverview>(image, nullptr);
  overview->tell = [](const QString&) {};
  overview->resize(1560, 720);
  if (paste) {
    overview->clickScene({0, 0});
    overview->clickScene({0, 2}, Qt::ShiftModifier);
    overview->copy();
    overview->clickScene({1, 4});
    overview->paste();
    overview->refresh();
  }
  return overview;
}

// The comparison of the demo show with a copy changed in a few places, as from a set of files.
std::unique_ptr<QWidget> Comparison(ControllerImage& image) {
  FillDemoShow(image);
  auto other = std::make_unique<ControllerImage>(image);
  other->Sceny[0][ChannelIndex(1, 1)] ^= 0x40;
  other->Sceny[40][ChannelIndex(3, 5)] = 255;
  other->Sceny[700][ChannelIndex(16, 16)] = 0;
  other->PgmFade[4] = 17;
  other->Midi[60].setAScena(12);
  auto dialog = std::make_unique<CompareDialog>(image, *other, 0, kBlockCount - 1, QStringLiteral("pokaz"));
  dialog->resize(720, 360);
  return dialog;
}

}  // namespace

int main(int argc, char** argv) {
  Q_INIT_RESOURCE(pictures);  // the main window's pictures live in a static library
  QApplication app(argc, argv);
  // KAVIRA_LANG=en shows the dialog in English.
  if (qgetenv("KAVIRA_LANG") == "en") SetLanguage(Language::English);
  const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("scene");
  const QString picture = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  auto image = DemoImage();
  PreviewHost host;
  std::unique_ptr<QDialog> dialog;
  if (which == QLatin1String("window") || which == QLatin1String("window-overview"))
    return PreviewWindow(picture, which == QLatin1String("window-overview"));
  if (which == QLatin1String("overview") || which == QLatin1String("paste") ||
      which == QLatin1String("compare")) {
    const auto shown = which == QLatin1String("compare") ? Comparison(*image)
                                                         : Overview(*image, which == QLatin1String("paste"));
    shown->show();
    if (picture.isEmpty()) return QApplication::exec();
    int rc = 1;
    QTimer::singleShot(300, [&] {
      rc = shown->grab().save(picture) ? 0 : 1;
      QApplication::quit();
    });
    QApplication::exec();
    return rc;
  }
  if (which == QLatin1String("scene")) {
    dialog = std::make_unique<SceneEditorDialog>(*image, host);
  } else if (which == QLatin1String("midi")) {
    dialog = std::make_unique<MidiDialog>(*image, host);
  } else if (which == QLatin1String("settings")) {
    dialog = std::make_unique<SettingsDialog>(*image, host);
  } else {
    std::fprintf(stderr,
                 "usage: dialog_preview scene|midi|settings|window|window-overview|overview|paste|compare "
                 "[picture.png]\n");
    return 2;
  }
  if (picture.isEmpty()) return dialog->exec();

  dialog->show();
  int rc = 1;
  QTimer::singleShot(300, [&] {
    rc = dialog->grab().save(picture) ? 0 : 1;
    app.quit();
  });
  app.exec();
  return rc;
}
