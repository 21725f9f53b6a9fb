#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QSettings>
#include <QShortcut>
#include <QTextBrowser>
#include <QTimer>
#include <QUndoCommand>
#include <QUrl>
#include <QVBoxLayout>

#include "files/data_files.h"
#include "files/path_text.h"
#include "files/update_file.h"
#include "link/adapter_latency.h"
#include "platform/journal_folder.h"
#include "platform/port_list.h"
#include "platform/system_error.h"
#include "ui/compare_dialog.h"
#include "ui/journal_list_dialog.h"
#include "ui/menus.h"
#include "ui/message_box.h"
#include "ui/midi_dialog.h"
#include "ui/range_dialog.h"
#include "ui/scene_editor_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/show_overview.h"
#include "ui/status_bar.h"

namespace kavira {
namespace {

const QColor kClassColour(241, 245, 247);
constexpr int kUndoLimit = 200;
const QString kRecentKey = QStringLiteral("recentFiles");

// One change of the image on the undo stack. It is pushed after the change was made, so its first
// redo does nothing.
class ImageStep : public QUndoCommand {
 public:
  ImageStep(ImageChange change, const QString& name, std::function<void(const ImageChange&, bool)> apply)
      : QUndoCommand(name), change_(std::move(change)), apply_(std::move(apply)) {}
  void undo() override { apply_(change_, false); }
  void redo() override {
    if (pushed_) apply_(change_, true);
    pushed_ = true;
  }

 private:
  ImageChange change_;
  std::function<void(const ImageChange&, bool)> apply_;
  bool pushed_ = false;
};

// The part of `from` that a data file of `area` holds, copied into `to`.
void CopyArea(ControllerImage& to, const ControllerImage& from, DataArea area) {
  switch (area) {
    case DataArea::Scenes:
      to.Sceny = from.Sceny;
      return;
    case DataArea::Midi:
      to.Midi = from.Midi;
      return;
    case DataArea::Settings: {
      const auto midi = to.Midi;
      SetRest(to, RestOf(from));
      to.Midi = midi;
      return;
    }
  }
}

// Loads the set of data files that `file` belongs to (show.K3s: show.K3s, show.K3p and show.K3m,
// those that exist; only the file named must) into `image`. Gives the areas loaded with their files;
// each failure goes to `failed`.
std::vector<std::pair<DataArea, std::string>> LoadFileSet(
    const std::string& file, ControllerImage& image, const std::function<void(const FileFailure&)>& failed) {
  std::string base = file;
  std::optional<DataArea> named;
  for (const DataArea area : {DataArea::Scenes, DataArea::Settings, DataArea::Midi}) {
    const std::string ext = std::string(".") + DataFileExtension(area);
    if (base.size() > ext.size() && QString::fromStdString(base.substr(base.size() - ext.size()))
                                            .compare(QString::fromStdString(ext), Qt::CaseInsensitive) == 0) {
      base.resize(base.size() - ext.size());
      named = area;
      break;
    }
  }
  std::vector<std::pair<DataArea, std::string>> loaded;
  for (const DataArea area : {DataArea::Scenes, DataArea::Settings, DataArea::Midi}) {
    const std::string path = named == area ? file : base + "." + DataFileExtension(area);
    const auto failure = LoadDataFile(PathFromUtf8(path), area, image);
    if (failure && (failure->kind != FileFailure::Missing || named == area || !named)) failed(*failure);
    if (!failure) loaded.emplace_back(area, path);
  }
  return loaded;
}

}  // namespace

ClientArea::ClientArea(std::function<void()> refreshStatus, QWidget* parent)
    : QWidget(parent),
      refreshStatus_(std::move(refreshStatus)),
      picture_(QStringLiteral(":/pictures/background.png")) {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kClassColour);
  setPalette(pal);
}

void ClientArea::paintEvent(QPaintEvent*) {
  refreshStatus_();
  if (picture_.isNull()) return;
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawPixmap(rect(), picture_);
}

MainWindow::MainWindow(std::vector<std::string> ports, QWidget* parent)
    : QMainWindow(parent),
      image_(std::make_unique<ControllerImage>()),
      engine_(*image_, *this, clock_),
      commands_(engine_, *this),
      ports_(clock_, *this),
      driver_(engine_, clock_),
      changes_(engine_, *this) {
  commands_.chooseRange = [this](std::uint32_t& from, std::uint32_t& to) { return chooseRange(from, to); };
  commands_.portOpen = [this] { return ports_.port() != nullptr; };
  changes_.alsoSearched = JournalFolders();
  changes_.folder = changes_.alsoSearched.front();
  changes_.alsoSearched.erase(changes_.alsoSearched.begin());
  changes_.chooseJournal = [this](const std::vector<JournalRow>& rows) -> std::optional<std::size_t> {
    JournalListDialog d(rows, this);
    switch (runDialog(d)) {
      case JournalListDialog::kChosen:
        return d.chosen();
      case JournalListDialog::kOtherFile:
        return ChangesRuns::kOtherFile;
      default:
        return std::nullopt;
    }
  };
  QIcon icon;
  icon.addFile(QStringLiteral(":/pictures/icon32.png"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/pictures/icon48.png"), QSize(48, 48));
  setWindowIcon(icon);

  ports_.PortName = std::move(ports);
  menus_ = std::make_unique<Menus>(menuBar(), ports_.PortName);
  menus_->checkLanguage(CurrentLanguage() == Language::English ? kIdEnglish : kIdPolish);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  // The client area sits in a holder that keeps its place while the scene editor hides it.
  auto* holder = new QWidget(central);
  auto* holderLayout = new QVBoxLayout(holder);
  holderLayout->setContentsMargins(0, 0, 0, 0);
  client_ = new ClientArea([this] { refreshStatus(); }, holder);
  holderLayout->addWidget(client_);
  statusBar_ = new StatusBar(central);
  layout->addWidget(holder, 1);
  layout->addWidget(statusBar_);
  setCentralWidget(central);

  // Every command entry runs its command; highlighting an entry of "Akcje" records its action.
  for (QMenu* m : menuBar()->findChildren<QMenu*>()) {
    for (QAction* a : m->actions()) {
      if (a->menu() == nullptr && !a->isSeparator()) {
        connect(a, &QAction::triggered, this, [this, a] { command(a->data().toInt()); });
      }
    }
  }
  for (QAction* a : menuBar()->actions()) {
    if (a->menu() == nullptr)
      connect(a, &QAction::triggered, this, [this, a] { command(a->data().toInt()); });
  }
  connect(menus_->menu(kActionMenu), &QMenu::hovered, this, [this](QAction* a) {
    if (const auto h = menus_->highlightOf(a)) {
      engine_.selectAction(*h);
      if (engine_.link().status == _idle_) changesChosen_ = a->data().toInt() == kIdChangesWrite;
    }
  });
  connect(&driver_, &EngineDriver::idle, this, &MainWindow::linkIdle);

  // The image's changes step by step; the empty image at start counts as saved.
  baseline_ = std::make_unique<ControllerImage>(*image_);
  saved_ = std::make_unique<ControllerImage>(*image_);
  undo_.setUndoLimit(kUndoLimit);
  connect(&undo_, &QUndoStack::indexChanged, this, [this] { updateUndoEntries(); });
  menus_->command(kIdUndoEdit)->setShortcuts({QKeySequence(QKeySequence::Undo)});
  menus_->command(kIdRedoEdit)
      ->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  rebuildRecent();
  updateTitle();

  // Esc stops whatever runs, even while "&Zatrzymaj" is greyed.
  auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(esc, &QShortcut::activated, this, [this] {
    command(kIdStop);
    update();
  });

  engine_.fileStep = [this](const LinkState& link) {
    const FileStepEnd end = RunFileStep(link, *image_, *this, fileDialog_);
    afterFileStep(link, end);
    return end;
  };
  // A transfer pauses while a dialog, a message box or a menu is open, and goes on when it closes.
  driver_.setGate([] {
    return QApplication::activeModalWidget() == nullptr && QApplication::activePopupWidget() == nullptr;
  });
  connect(&ports_, &PortManager::portActivity, &driver_, &EngineDriver::kick);
  connect(&ports_, &PortManager::searchFinished, this, &MainWindow::onSearchFinished);

  runDialog = [](QDialog& d) { return d.exec(); };
  // When a dialog, a message box or a menu closes, the client area is painted again, and with it the
  // status bar shows the link's state as it is now.
  qApp->installEventFilter(this);
  MainWindow::setStatusText(kPartFirmware, Message::Text(engine_.link().HFirmWareVer));
  refreshStatus();
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  undo_.disconnect(this);  // the stack empties itself after the menus are gone
  engine_.setPort(nullptr);
  ports_.closePort();
}

void MainWindow::openFileSet(const std::string& file) {
  const auto loaded = LoadFileSet(file, *image_, [this](const FileFailure& failure) {
    messageBox(failure.BoxText(), failure.Caption(), Buttons::Ok, Icon::Stop, MessageKind::FileFailure);
  });
  for (const auto& [area, path] : loaded) {
    CopyArea(*saved_, *image_, area);
    if (area == DataArea::Scenes) engine_.markFilled(0, kLastScene);
    if (area == DataArea::Settings) engine_.markFilled(kSettingsUnit, kSettingsUnit);
    if (area == DataArea::Midi) engine_.markFilled(kMidiUnit, kMidiUnit);
    if (area == DataArea::Scenes) fileDialog_.NazwaPliku = path;
  }
  if (!loaded.empty()) noteShowFile(loaded.front().second);
  checkpoint(tr("odczyt z pliku"));
  repaint();
}

void MainWindow::startUp() {
  // The version query follows once a port has answered.
  ports_.startSearch();
}

void MainWindow::onSearchFinished(bool found) {
  menus_->checkPort(ports_.openIndex());
  if (found) {
    engine_.setPort(ports_.port());
    noteLatency();
    engine_.startVersion();
    driver_.kick();
  } else {
    engine_.setPort(nullptr);
    messageBox(Texts::kNoController, Texts::kCaptionNoController, Buttons::Ok, Icon::Exclamation,
               MessageKind::Warning);
  }
  repaint();
  emit searchDone(found);
}

void MainWindow::command(int id) {
  switch (id) {
    case kIdScenes:
    case kIdSettings:
    case kIdMidi:
    case kIdEverything:
      areaCommand(id);
      return;
    case kIdUndoLast:
    case kIdUndoJournal:
      if (engine_.link().status != _idle_ || !commands_.portReady()) return;
      if (id == kIdUndoLast) {
        changes_.undoLast();
      } else {
        changes_.undoChosen();
      }
      driver_.kick();
      return;
    case kIdStop:
      commands_.stop();
      linkIdle();
      return;
    case kIdUndoEdit:
    case kIdRedoEdit:
      undoEdit(id == kIdRedoEdit);
      return;
    case kIdOverview:
      showOverview();
      return;
    case kIdCompareController:
      compareWithController();
      return;
    case kIdCompareFiles:
      compareWithFiles();
      return;
    case kIdQuit:
      exitProgram();
      return;
    case kIdRepeat:
      commands_.repeat();
      driver_.kick();
      return;
    case kIdFirmwareSearch:
      QDesktopServices::openUrl(QUrl(QString::fromUtf8(kDownloadPage)));
      return;
    case kIdFirmwareInstall:
    case kIdFirmwareVerify:
      if (commands_.firmwareAllowed()) {
        InitUpdate(id == kIdFirmwareVerify ? 1 : 0, engine_, *this, fileDialog_);
        driver_.kick();
      }
      return;
    case kIdRestart:
      commands_.restart();
      driver_.kick();
      return;
    case kIdEditScenes:
      editScenes();
      return;
    case kIdEditMidi:
      editWith<MidiDialog>(tr("edycja przypisań MIDI"));
      return;
    case kIdEditSettings:
      editWith<SettingsDialog>(tr("edycja ustawień"));
      return;
    case kIdProgramHelp:
      help();
      return;
    case kIdAbout:
      about();
      return;
    case kIdAuto:
      autoSearch();
      return;
    case kIdManual:
      showManual();
      return;
    case kIdPolish:
    case kIdEnglish:
      setLanguage(id == kIdEnglish ? Language::English : Language::Polish);
      return;
    default:
      if (id >= kIdFirstPort) choosePort(id - kIdFirstPort);
  }
}

void MainWindow::areaCommand(int id) {
  if (changesChosen_) {
    commands_.changesArea(id, [this](const BlockWalk& walk) { changes_.write(walk); });
  } else {
    if (engine_.link().status == _idle_) {
      pendingStep_ = engine_.link().akcja == _read_    ? tr("odczyt ze sterownika")
                     : engine_.link().akcja == _fread_ ? tr("odczyt z pliku")
                                                       : QString();
    }
    commands_.area(id);
  }
  driver_.kick();
}

template <class Dialog>
void MainWindow::editWith(const QString& step) {
  // The settings and MIDI editors: one commit closes them, and makes one step.
  if (engine_.link().status != _idle_) return;
  const auto before = std::make_unique<ControllerImage>(*image_);
  Dialog d(*image_, *this, this);
  runDialog(d);
  markEdited(*before);
  checkpoint(step);
}

bool MainWindow::chooseRange(std::uint32_t& from, std::uint32_t& to) {
  RangeDialog d(from, to, *this, this);
  return runDialog(d) == RangeDialog::kConfirmed;
}

void MainWindow::editScenes(std::optional<std::pair<int, int>> at) {
  // The scene editor may be opened during a transfer, which pauses until it closes.
  client_->hide();
  {
    const auto before = std::make_unique<ControllerImage>(*image_);
    SceneEditorDialog d(*image_, *this, this);
    connect(&d, &SceneEditorDialog::edited, this, &MainWindow::checkpoint);
    if (at) d.showScene(at->first + 1, at->second + 1);
    runDialog(d);
    markEdited(*before);
  }
  checkpoint(tr("edycja scen"));
  client_->show();
}

void MainWindow::markEdited(const ControllerImage& before) {
  for (std::uint32_t unit = 0; unit < kBlockCount / 2; ++unit) {
    if (EncodeBlock(before, 2 * unit) != EncodeBlock(*image_, 2 * unit) ||
        EncodeBlock(before, 2 * unit + 1) != EncodeBlock(*image_, 2 * unit + 1))
      engine_.markFilled(unit, unit);
  }
}

void MainWindow::autoSearch() {
  // A running transfer is abandoned.
  engine_.stop();
  engine_.setPort(nullptr);
  menus_->checkPort(-1);
  ports_.startSearch();
}

void MainWindow::choosePort(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= ports_.PortName.size()) return;
  // The port closes under a running transfer: it is abandoned (the version query takes its place
  // once the port is open again).
  engine_.stop();
  engine_.setPort(nullptr);
  menus_->checkPort(-1);
  if (ports_.choosePort(index) != 0) return;
  menus_->checkPort(ports_.openIndex());
  engine_.setPort(ports_.port());
  noteLatency();
  engine_.startVersion();
  driver_.kick();
}

void MainWindow::noteLatency() {
  // The status bar's tooltip says what a slow USB adapter costs, for as long as its port is open.
  const LinePort* port = ports_.port();
  const auto note = port != nullptr ? LatencyMessage(port->adapterLatency()) : std::nullopt;
  statusBar_->setToolTip(note ? TranslateQ(*note) : QString());
}

void MainWindow::help() {
  for (const QString& dir : {QCoreApplication::applicationDirPath(), QDir::currentPath()}) {
    const QString path = QDir(dir).filePath(QString::fromUtf8(kHelpFile));
    if (QFileInfo::exists(path)) {
      QDesktopServices::openUrl(QUrl::fromLocalFile(path));
      return;
    }
  }
  messageBox(Message::Text(tr("Plik pomocy nie jest na razie dostępny !").toStdString()),
             Message::Text(tr("Brak dostępu !").toStdString()), Buttons::Ok, Icon::Information,
             MessageKind::Information);
}

void MainWindow::about() {
  const QString text =
      tr("%1\nKaviraOB, wersja %2\n\nProgram do odczytu, edycji, zapisu i weryfikacji pamięci\n"
         "sterownika oświetlenia scenicznego qz418 Kavira Oxbrine\n"
         "oraz do aktualizacji jego oprogramowania.\n\n"
         "Producent: Kavira, sterowniki oświetlenia scenicznego.")
          .arg(tr(kWindowTitle), QCoreApplication::applicationVersion());
  messageBox(Message::Text(text.toStdString()), Message::Text(tr("O programie").toStdString()), Buttons::Ok,
             Icon::Information, MessageKind::Information);
}

void MainWindow::exitProgram() {
  // Unsaved changes get their own question instead.
  if (unsaved()) {
    if (askToSave()) {
      closeConfirmed_ = true;
      close();
    }
    return;
  }
  const Answer a = messageBox(
      Message::Text(tr("UWAGA !!!\nWszystkie zmiany nie zapisane do pliku\nlub do sterownika zostaną "
                       "utracone !!!\nCzy na pewno chcesz zakończyć ?")
                        .toStdString()),
      Texts::kCaptionWarning, Buttons::YesNo, Icon::Exclamation, MessageKind::Question);
  if (a == Answer::Yes) close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing asks only about unsaved changes (the exit command asks too); then a running transfer
  // stops and the port is released.
  if (!closeConfirmed_ && unsaved() && !askToSave()) {
    event->ignore();
    return;
  }
  closeConfirmed_ = false;
  engine_.stop();
  engine_.setPort(nullptr);
  ports_.closePort();
  event->accept();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  SetSBparts();
  client_->update();
  statusBar_->update();
}

void MainWindow::SetSBparts() {
  statusBar_->setParts(fontMetrics().averageCharWidth(), frameGeometry().width());
}

void MainWindow::refreshStatus() {
  const LinkState& link = engine_.link();
  statusBar_->setPartText(kPartArea, TranslateQ(AreaText(link.obszar)));
  // A changes walk reads, writes and reads back: the action part names the walk, not each step.
  const char* walk = link.obszar <= _midi_ ? WalkText(engine_.walkKind()) : nullptr;
  statusBar_->setPartText(kPartAction, link.status == _idle_ ? TranslateQ(Texts::kReady)
                                       : walk != nullptr     ? QStringLiteral("\t") + TranslateQ(walk)
                                                             : TranslateQ(ActionText(link.akcja)));
  statusBar_->setPartText(kPartFirmware, QString::fromStdString(link.HFirmWareVer));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Hide && watched != this && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->isWindow()) {
    // A box, dialog or menu that closes uncovers the client area, which is painted again, and its
    // painting shows the link's state in the status bar. A hidden client area (the scene editor is
    // open) is not painted.
    client_->update();
  }
  return QMainWindow::eventFilter(watched, event);
}

Answer MainWindow::messageBox(const Message& text, const Message& caption, Buttons buttons, Icon icon,
                              MessageKind kind) {
  if (prompts_ != nullptr) return prompts_->messageBox(text, caption, buttons, icon, kind);
  QWidget* parent = QApplication::activeModalWidget() != nullptr ? QApplication::activeModalWidget() : this;
  std::string shown = TranslateText(text);
  // The system's own words for its error code, on the line below the program's.
  if (kind == MessageKind::SystemError) {
    if (const auto code = BoxErrorCode(text.Polish())) shown += "\n" + SystemErrorText(*code);
  }
  auto box = BuildMessageBox(parent, shown, TranslateText(caption), buttons, icon);
  // A port that cannot be opened: what it really is, who holds it, or how to get the permission.
  const auto& failure = ports_.lastOpenFailure();
  if (kind == MessageKind::PortOpenFailed && failure && !failure->hint.empty()) {
    box->setInformativeText(TranslateQ(failure->hint));
  }
  box->exec();
  return AnswerOf(*box, box->clickedButton());
}

void MainWindow::setStatusText(int part, const Message& text) {
  statusBar_->setPartText(part, TranslateQ(text));
}

void MainWindow::setProgress(int position) {
  statusBar_->progressBar()->setValue(position);
}

void MainWindow::enableMenuEntry(int position, bool enabled) {
  if (QAction* a = menus_->actionEntry(position)) a->setEnabled(enabled);
}

void MainWindow::repaint() {
  client_->update();
}

std::optional<std::string> MainWindow::chooseFile(const FileRequest& request) {
  if (prompts_ != nullptr) return prompts_->chooseFile(request);
  QStringList filters;
  for (const FileFilter& f : szFilter) {
    QString pattern = QString::fromUtf8(f.pattern);
#ifndef Q_OS_WIN
    if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");  // every file, as on Windows
#endif
    filters << TranslateQ(f.description) + QStringLiteral(" (") + pattern + QStringLiteral(")");
  }
  QFileDialog d(this, TranslateQ(request.title));
  d.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) {
    d.selectNameFilter(filters[request.filterIndex - 1]);
  }
  d.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  d.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  d.setDefaultSuffix(QString::fromStdString(request.defaultExt));
  if (!request.initialName.empty()) d.selectFile(QString::fromStdString(request.initialName));
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
  return d.selectedFiles().front().toStdString();
}

void MainWindow::showManual() {
  if (manual_ == nullptr) {
    // A window of its own, beside the main window, so the manual stays open while the user works.
    auto* browser = new QTextBrowser(this);
    browser->setWindowFlag(Qt::Window);
    browser->setObjectName(QStringLiteral("manual"));
    browser->setOpenExternalLinks(true);
    // Its pictures: "../screenshots/x.png" from the manual's folder.
    browser->setSearchPaths({QStringLiteral(":/manual/manual")});
    browser->resize(720, 640);
    manual_ = browser;
  }
  static_cast<QTextBrowser*>(manual_)->setMarkdown(ManualText(CurrentLanguage()));
  manual_->setWindowTitle(tr("Podręcznik"));
  manual_->show();
  manual_->raise();
  manual_->activateWindow();
}

void MainWindow::setLanguage(Language language) {
  SetLanguage(language);
  menus_->retranslate();
  menus_->checkLanguage(CurrentLanguage() == Language::English ? kIdEnglish : kIdPolish);
  updateTitle();
  updateUndoEntries();
  rebuildRecent();
  refreshStatus();
  if (manual_ != nullptr && manual_->isVisible()) showManual();
  QSettings().setValue(QStringLiteral("language"), QString::fromLatin1(LanguageCode(CurrentLanguage())));
}

void MainWindow::checkpoint(const QString& name) {
  if (!(*image_ == *baseline_)) {
    ImageChange change = DiffImages(*baseline_, *image_);
    *baseline_ = *image_;
    undo_.push(new ImageStep(std::move(change), name,
                             [this](const ImageChange& c, bool forward) { applyChange(c, forward); }));
  }
  imageChanged();
}

void MainWindow::applyChange(const ImageChange& change, bool forward) {
  ApplyChange(*image_, change, forward);
  ApplyChange(*baseline_, change, forward);
  imageChanged();
}

void MainWindow::undoEdit(bool redo) {
  // A step is undone only between transfers: a read under way goes on into the image.
  if (engine_.link().status != _idle_) return;
  checkpoint(tr("edycja"));  // a change not yet recorded is undone first
  if (redo) {
    undo_.redo();
  } else {
    undo_.undo();
  }
}

void MainWindow::imageChanged() {
  updateTitle();
  updateUndoEntries();
  if (overview_ != nullptr) overview_->refresh();
  repaint();
}

void MainWindow::showOverview() {
  if (overview_ == nullptr) {
    overview_ = new ShowOverview(*image_, this);
    connect(overview_, &ShowOverview::edited, this, &MainWindow::checkpoint);
    connect(overview_, &ShowOverview::openScene, this, [this](int program, int scene) {
      editScenes(std::pair{program, scene});
    });
    // Undo and redo work from the overview's window too.
    overview_->addAction(menus_->command(kIdUndoEdit));
    overview_->addAction(menus_->command(kIdRedoEdit));
    follow_ = new QTimer(this);
    follow_->setInterval(100);
    connect(follow_, &QTimer::timeout, this, &MainWindow::followImage);
    follow_->start();
  }
  overview_->refresh();
  overview_->show();
  overview_->raise();
  overview_->activateWindow();
}

void MainWindow::followImage() {
  if (overview_ == nullptr || !overview_->isVisible()) return;
  // While a transfer runs the image is the read's: the overview shows it but does not change it.
  const bool idle = engine_.link().status == _idle_;
  for (QAction* a : {overview_->pasteAction(), overview_->clearAction(), overview_->setChannelAction()})
    a->setEnabled(idle);
  overview_->refresh();
}

bool MainWindow::unsaved() const {
  return !(*image_ == *saved_);
}

void MainWindow::linkIdle() {
  changes_.linkIdle();
  if (engine_.link().status != _idle_) return;
  checkpoint(pendingStep_.isEmpty() ? tr("zmiana obrazu") : pendingStep_);
  pendingStep_.clear();
  if (engine_.readTarget() != nullptr) {
    // The comparison's read has ended: whole, or stopped or failed (its box was shown).
    const bool whole = engine_.readIntoTarget().all();
    engine_.setReadTarget(nullptr);
    if (whole)
      showComparison(*compareImage_, {DataArea::Scenes, DataArea::Settings, DataArea::Midi}, tr("Sterownik"));
    compareImage_.reset();
  }
  if (closeAfterSave_) {
    closeAfterSave_ = false;
    if (!unsaved()) {
      closeConfirmed_ = true;
      close();
    }
  }
}

void MainWindow::afterFileStep(const LinkState& link, FileStepEnd end) {
  if (end != FileStepEnd::Done && end != FileStepEnd::NextArea) return;
  const auto area = DataAreaOf(link.obszar);
  if (!area) return;
  if (link.akcja == _fread_ || (link.akcja == _fsave_ && link.wszystko == 0)) {
    CopyArea(*saved_, *image_, *area);
  } else if (link.akcja == _fsave_ && end == FileStepEnd::Done) {
    // An "&Wszystko" save writes the three files together after its last dialog.
    *saved_ = *image_;
  } else {
    return;
  }
  noteShowFile(fileDialog_.NazwaPliku);
}

void MainWindow::noteShowFile(const std::string& path) {
  showFile_ = QString::fromUtf8(path);
  QStringList list = recentFiles();
  list.removeAll(showFile_);
  list.prepend(showFile_);
  while (list.size() > kRecentCount)
    list.removeLast();
  QSettings().setValue(kRecentKey, list);
  rebuildRecent();
  updateTitle();
}

QStringList MainWindow::recentFiles() {
  return QSettings().value(kRecentKey).toStringList();
}

void MainWindow::rebuildRecent() {
  QMenu* menu = menus_->menu(kRecentMenu);
  menu->clear();
  const QStringList list = recentFiles();
  for (int i = 0; i < list.size(); ++i) {
    const QString& path = list[i];
    QAction* a = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
    a->setToolTip(QDir::toNativeSeparators(path));
    a->setData(-1);
    connect(a, &QAction::triggered, this, [this, path] {
      if (engine_.link().status == _idle_) openFileSet(path.toStdString());
    });
  }
  if (list.isEmpty()) menu->addAction(tr("(brak)"))->setEnabled(false);
}

void MainWindow::updateTitle() {
  // "show* - ..." while the image holds changes not in the files; the program's own title alone
  // while there is neither a show's file nor a change.
  const QString name = QFileInfo(showFile_).completeBaseName();
  const QString mark = unsaved() ? QStringLiteral("*") : QString();
  if (name.isEmpty() && mark.isEmpty()) {
    setWindowTitle(tr(kWindowTitle));
  } else {
    setWindowTitle((name.isEmpty() ? tr("bez nazwy") : name) + mark + QStringLiteral(" - ") +
                   tr(kWindowTitle));
  }
}

void MainWindow::updateUndoEntries() {
  QAction* undo = menus_->command(kIdUndoEdit);
  QAction* redo = menus_->command(kIdRedoEdit);
  undo->setEnabled(undo_.canUndo());
  redo->setEnabled(undo_.canRedo());
  undo->setText(undo_.canUndo() ? tr("&Cofnij: %1").arg(undo_.undoText())
                                : QCoreApplication::translate("Menus", "&Cofnij edycję"));
  redo->setText(undo_.canRedo() ? tr("P&onów: %1").arg(undo_.redoText())
                                : QCoreApplication::translate("Menus", "P&onów edycję"));
}

void MainWindow::compareWithController() {
  if (engine_.link().status != _idle_ || !commands_.portReady()) return;
  compareImage_ = std::make_unique<ControllerImage>();
  engine_.setReadTarget(compareImage_.get());
  engine_.startBlocks({_read_, 0, kMidiUnit, true});
  driver_.kick();
}

void MainWindow::compareWithFiles() {
  if (engine_.link().status != _idle_) return;
  const FileRequest request{false, Message::Text(tr("Wybierz pliki do porównania :").toStdString()), 1, "K3s",
                            showFile_.toStdString()};
  const auto file = chooseFile(request);
  if (!file) return;
  auto other = std::make_unique<ControllerImage>();
  bool failed = false;
  const auto loaded = LoadFileSet(*file, *other, [&](const FileFailure& failure) {
    failed = true;
    messageBox(failure.BoxText(), failure.Caption(), Buttons::Ok, Icon::Stop, MessageKind::FileFailure);
  });
  if (failed || loaded.empty()) return;
  std::vector<DataArea> areas;
  areas.reserve(loaded.size());
  for (const auto& [area, path] : loaded)
    areas.push_back(area);
  showComparison(*other, areas, QFileInfo(QString::fromUtf8(*file)).completeBaseName());
}

void MainWindow::showComparison(const ControllerImage& other, const std::vector<DataArea>& areas,
                                const QString& otherName) {
  // The areas' blocks: scenes 0-2043, settings 2044-2045, MIDI 2046-2047; the files of a set may
  // leave out an area in the middle, which then is not compared.
  auto image = std::make_unique<ControllerImage>(*image_);
  for (DataArea area : {DataArea::Scenes, DataArea::Settings, DataArea::Midi}) {
    if (std::find(areas.begin(), areas.end(), area) == areas.end()) CopyArea(*image, other, area);
  }
  if (comparison_ != nullptr) comparison_->close();
  comparison_ = new CompareDialog(*image, other, 0, kBlockCount - 1, otherName, this);
  comparison_->setAttribute(Qt::WA_DeleteOnClose);
  comparison_->show();
}

bool MainWindow::askToSave() {
  const Answer a = messageBox(Message::Text(tr("Zapisać zmiany?").toStdString()),
                              Message::Text(tr("KaviraOB").toStdString()), Buttons::SaveDiscardCancel,
                              Icon::Question, MessageKind::Question);
  if (a == Answer::Discard) return true;
  if (a == Answer::Save) {
    // The "Wszystko" save, as from the menu; a running transfer ends first.
    engine_.stop();
    closeAfterSave_ = true;
    engine_.startFileStep({_fsave_, 0, kMidiUnit, true});
    driver_.kick();
  }
  return false;
}

QString ManualText(Language language) {
  QFile file(language == Language::English ? QStringLiteral(":/manual/en.md")
                                           : QStringLiteral(":/manual/pl.md"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

}  // namespace kavira
