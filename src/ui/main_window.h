// The main window: the background picture, the status bar with the progress bar, the menus, and the
// commands. It is also the program's Host: the core shows its boxes, status texts and progress
// through it.
#pragma once

#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <QUndoStack>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "files/file_step.h"
#include "link/clock.h"
#include "link/commands.h"
#include "link/host.h"
#include "link/transfer_engine.h"
#include "model/controller_image.h"
#include "model/image_change.h"
#include "platform/engine_driver.h"
#include "platform/port_manager.h"
#include "platform/translation.h"
#include "ui/changes_runs.h"

class QTimer;

namespace kavira {

class Menus;
class ShowOverview;
class StatusBar;

inline constexpr const char* kWindowTitle =
    QT_TRANSLATE_NOOP("kavira::MainWindow", "Program komunikacyjny qz418 Kavira Oxbrine <--> PC");
inline constexpr const char* kDownloadPage = "https://kavira.example/oxbrine/pobierz";
inline constexpr const char* kHelpFile = "Kavira3.hlp";

// The client area: the background picture stretched over it; its painting refreshes the status bar.
class ClientArea : public QWidget {
  Q_OBJECT

 public:
  ClientArea(std::function<void()> refreshStatus, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::function<void()> refreshStatus_;
  QPixmap picture_;
};

class MainWindow : public QMainWindow, public Host {
  Q_OBJECT

 public:
  // `ports` is the port list in search order (PortName).
  explicit MainWindow(std::vector<std::string> ports, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Searches the ports for the controller; when one answers, reads its firmware version.
  void startUp();
  // Loads the set of data files that `file` belongs to (show.K3s: show.K3s, show.K3p and show.K3m,
  // those that exist), as a file opened from the desktop; a file that cannot be loaded gets its box.
  void openFileSet(const std::string& file);
  // Runs the menu command with this identifier.
  void command(int id);

  // Host.
  Answer messageBox(const Message& text, const Message& caption, Buttons buttons, Icon icon,
                    MessageKind kind) override;
  void setStatusText(int part, const Message& text) override;
  void setProgress(int position) override;
  void enableMenuEntry(int position, bool enabled) override;
  void repaint() override;
  std::optional<std::string> chooseFile(const FileRequest& request) override;

  // Boxes and file dialogs answered by another Host (the tests' script) instead of on screen.
  void setPrompts(Host* prompts) { prompts_ = prompts; }
  // How a modal dialog of the program runs (tests drive it instead of exec()).
  std::function<int(QDialog&)> runDialog;

  TransferEngine& engine() { return engine_; }
  ControllerImage& image() { return *image_; }
  PortManager& ports() { return ports_; }
  Menus& menus() { return *menus_; }
  StatusBar* statusBarWidget() const { return statusBar_; }
  ClientArea* client() const { return client_; }
  FileDialogState& fileDialog() { return fileDialog_; }
  ChangesRuns& changesRuns() { return changes_; }

  // The steps of the image's changes (reads, loads, edits, pastes), for "Cofnij edycję" and "Ponów
  // edycję". A step holds only what it changed; the last 200 are kept.
  QUndoStack& undoStack() { return undo_; }
  // Makes everything the image changed since the last step one step named `name` (shown as "Cofnij:
  // name"); nothing when the image did not change. Every view of the image then shows it as it is.
  void checkpoint(const QString& name);
  // The image holds changes that are not in the data files (changes read from the controller too).
  bool unsaved() const;
  // The sets of data files last loaded or saved, newest first (at most kRecentCount).
  static QStringList recentFiles();
  static constexpr int kRecentCount = 8;
  // The window of the last comparison ("Porównanie"), nullptr before the first.
  QDialog* comparison() const { return comparison_; }
  // "Przegląd pokazu" (nullptr until first opened).
  ShowOverview* overview() const { return overview_; }

  // Shows the program in `language` at once (menus, title, status bar; dialogs and boxes as they
  // open) and remembers the choice for the next start.
  void setLanguage(Language language);
  // The window of the program's own manual, in the current language (nullptr until first opened).
  QWidget* manualWindow() const { return manual_; }

  // Status bar parts 0-2 from the link's state, as the client window's painting does.
  void refreshStatus();
  // Lays out the status bar's parts for the window's width (SetSBparts).
  void SetSBparts();

 signals:
  // The port search has ended (found or not).
  void searchDone(bool found);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void onSearchFinished(bool found);
  void choosePort(int index);
  void autoSearch();
  void help();
  void about();
  void showManual();
  void exitProgram();
  // The status bar's tooltip about the open port's USB adapter.
  void noteLatency();
  void areaCommand(int id);
  template <class Dialog>
  void editWith(const QString& step);
  // The units an edit changed hold data now (TransferEngine::markFilled).
  void markEdited(const ControllerImage& before);
  // The scene editor, on program 1, scene 1 or on the scene given (0-based program and scene).
  void editScenes(std::optional<std::pair<int, int>> at = std::nullopt);
  void showOverview();
  // Keeps the overview in step with the image while it is open, also during a read.
  void followImage();
  bool chooseRange(std::uint32_t& from, std::uint32_t& to);
  // The image changed: the title, the undo entries and the views show it.
  void imageChanged();
  void applyChange(const ImageChange& change, bool forward);
  void undoEdit(bool redo);
  void linkIdle();
  // What a file step that loaded or saved an area means for the unsaved changes and the show's name.
  void afterFileStep(const LinkState& link, FileStepEnd end);
  void noteShowFile(const std::string& path);
  void updateTitle();
  void updateUndoEntries();
  void rebuildRecent();
  // The unsaved-changes question as the window closes: true when it may close now. Save starts the
  // "Wszystko" save, and the window closes once it has saved.
  bool askToSave();
  // "Porównanie": a read of the whole controller into an image of its own, or a set of data files;
  // then every difference from the image in one table.
  void compareWithController();
  void compareWithFiles();
  void showComparison(const ControllerImage& other, const std::vector<DataArea>& areas,
                      const QString& otherName);

  SteadyClock clock_;
  std::unique_ptr<ControllerImage> image_;
  TransferEngine engine_;
  Commands commands_;
  PortManager ports_;
  EngineDriver driver_;
  FileDialogState fileDialog_;
  Host* prompts_ = nullptr;
  ChangesRuns changes_;
  // "Zapis zmian do sterownika" was the last "Akcje" entry highlighted: the areas start its walk.
  bool changesChosen_ = false;
  QUndoStack undo_;
  // The image as the steps on the undo stack leave it, and as the data files hold it.
  std::unique_ptr<ControllerImage> baseline_;
  std::unique_ptr<ControllerImage> saved_;
  // The name of the step that the running read or load makes when it ends.
  QString pendingStep_;
  QString showFile_;
  bool closeAfterSave_ = false;
  bool closeConfirmed_ = false;
  std::unique_ptr<ControllerImage> compareImage_;
  QPointer<QDialog> comparison_;  // gone once its window is closed
  ShowOverview* overview_ = nullptr;
  QTimer* follow_ = nullptr;
  std::unique_ptr<Menus> menus_;
  ClientArea* client_;
  StatusBar* statusBar_;
  QWidget* manual_ = nullptr;
};

// The manual's Markdown text in `language`, from the program's resources.
QString ManualText(Language language);

}  // namespace kavira
