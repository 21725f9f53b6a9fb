// What the core asks of the user interface: message boxes with the program's texts, the status bar,
// the progress bar, greying of the "Akcje" menu entries, repainting, and choosing files. The window
// program implements it with Qt, kaviraob-cli with its options, the tests with a scripted fake.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/message.h"
#include "model/texts.h"

namespace kavira {

// YesNoDefaultNo: as YesNo, with No the default button (a question whose Yes may lose data).
// OverwriteSkipCancel: the conflicts of a three-way write; Cancel is the default.
// SaveDiscardCancel: unsaved changes as the window closes; Save is the default, closing the box cancels.
enum class Buttons {
  Ok,
  RetryCancel,
  YesNo,
  AbortRetryIgnore,
  YesNoDefaultNo,
  OverwriteSkipCancel,
  SaveDiscardCancel
};
enum class Icon { Stop, Exclamation, Information, Question };
enum class Answer { Ok, Cancel, Retry, Yes, No, Abort, Ignore, Overwrite, Skip, Save, Discard };

// What a box is about, so that a Host can act on its meaning without reading its text: the window
// program adds the port's hint under a port failure, kaviraob-cli chooses its exit status and output.
enum class MessageKind {
  Information,       // a notice: nothing failed
  Warning,           // the program's own problem or a warning (wrong area, no controller found)
  Question,          // a Yes/No question to the user (installing firmware)
  NoPort,            // a command needs the port, and none is open
  PortOpenFailed,    // the chosen port could not be opened or configured
  LinkFailure,       // an answer was refused or damaged; Retry sends the frame again
  SystemError,       // the port failed with the system's error code ("Kod błędu : 5")
  ProtocolError,     // the controller's answer broke the protocol
  ProgramError,      // the link got into a state it never should
  VerifyDifference,  // verification found a difference; Yes checks on
  FirmwareDiffers,   // a firmware line reads back different; Abort, Retry (read again) or Ignore
  VerifyOutcome,     // how a verification ended
  FileFailure,       // a data file or an update file could not be read or written
  Conflict,          // blocks to write changed in the controller since it was last seen; the lines
                     // after the first one name them, one a line
};

// Status bar parts.
inline constexpr int kPartFirmware = 0;
inline constexpr int kPartArea = 1;
inline constexpr int kPartAction = 2;

// Positions in the "Akcje" menu that the engine greys and enables.
inline constexpr int kEntryRepeat = 0;
inline constexpr int kEntryStop = 9;

// The five filters of the file dialogs, by filter index 1-5.
struct FileFilter {
  const char* description;
  const char* pattern;
};
inline constexpr FileFilter szFilter[] = {
    {Texts::kFilterScenes, "*.K3s"},       {Texts::kFilterSettings, "*.K3p"}, {Texts::kFilterMidi, "*.K3m"},
    {Texts::kFilterUpdates, "qz418*.upg"}, {Texts::kFilterAll, "*.*"},
};

struct FileRequest {
  bool save = false;
  Message title;            // Tytul
  int filterIndex = 1;      // 1-5 into szFilter
  std::string defaultExt;   // without the point; may be empty
  std::string initialName;  // NazwaPliku as it stands
};

class Host {
 public:
  virtual ~Host() = default;
  // A modal box owned by the main window; returns the button pressed (closing counts as Cancel, No
  // or Abort, whichever the buttons offer; Ok for a plain box). The text and caption are catalogue texts
  // with their arguments (model/message.h); a Host that shows them in another language translates them.
  virtual Answer messageBox(const Message& text, const Message& caption, Buttons buttons, Icon icon,
                            MessageKind kind) = 0;
  // Text of a status bar part 0-3 (texts that begin with a tab are centred).
  virtual void setStatusText(int part, const Message& text) = 0;
  // Position 0-100 of the progress bar.
  virtual void setProgress(int position) = 0;
  // Enable or grey an entry of the "Akcje" menu by position.
  virtual void enableMenuEntry(int position, bool enabled) = 0;
  // Invalidate the client window: its painting refreshes status bar parts 0-2 from the link state.
  virtual void repaint() = 0;
  // The Open or Save dialog; nothing when cancelled.
  virtual std::optional<std::string> chooseFile(const FileRequest& request) = 0;
};

}  // namespace kavira
