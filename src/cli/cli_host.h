// The engine's user interface on the command line. Boxes are answered by the options instead of a
// user: a refused or damaged answer is retried --retries times and then given up; a verification
// difference is printed as one line and checking goes on; a firmware line that still differs after
// --retries reads is given up; the firmware questions go to whoever answers them (the terminal, or
// --yes). What happened is recorded so the command can report it and choose its exit status.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "link/host.h"
#include "link/link_state.h"

namespace kavira::cli {

// A box text as one line: the closing question "Kontynuować sprawdzanie ?" (in the current language)
// and whatever follows it
// are dropped, every run of white space that holds a line break or a tab becomes one blank, and the
// ends are trimmed.
std::string OneLine(std::string_view text);

// Text from a file (a journal's firmware text) as it may reach a terminal: control characters
// (C0, DEL, C1), the characters that turn the direction of text, and bytes that are no UTF-8 are
// escaped ("\n", "\x1b", "\u202E"), and so is the backslash ("\\"); everything else stays.
std::string PrintableText(std::string_view text);

// The box text with the system's description of the error code that ends it ("Kod błędu : 5" ->
// "Kod błędu : 5 (Input/output error)"), for texts that end in a code.
Message WithErrorText(const Message& text);

class CliHost final : public Host {
 public:
  // Ok boxes during the run are link failures (exit 3), except the verify outcome; while the update
  // file is being loaded they are file failures (exit 4).
  enum class Phase { Link, UpdateFile };

  struct Failure {
    int exitCode;
    std::string message;
  };

  CliHost(int retries, std::ostream& differences, std::ostream& notes, bool quiet);
  // The link whose frames the boxes are about (the engine, once it exists).
  void watch(const LinkState& link) { link_ = &link; }

  Answer messageBox(const Message& message, const Message& caption, Buttons buttons, Icon icon,
                    MessageKind kind) override;
  void setStatusText(int part, const Message& text) override;
  void setProgress(int) override {}
  void enableMenuEntry(int, bool) override {}
  void repaint() override {}
  std::optional<std::string> chooseFile(const FileRequest& request) override;

  Phase phase = Phase::Link;
  // The file the update loader's dialog "chooses".
  std::optional<std::string> updateFile;
  // Answers a Yes/No question; nothing set answers No.
  std::function<bool(std::string_view question)> ask;
  // Called before a note is written (so a progress bar can end its line first), and before a
  // difference line when the differences go to the same terminal as the bar.
  std::function<void()> beforeNote;
  bool differencesOnTerminal = false;
  // The conflicts of a three-way write: printed as differences, and written too only when set.
  bool overwriteConflicts = false;
  // What notes begin with.
  std::string notePrefix = "kaviraob-cli: ";
  // The port's name, for messages; whether the engine is running (failures then say where).
  std::string portName;
  bool inRun = false;

  // What happened.
  const std::optional<Failure>& failure() const { return failure_; }
  int differences() const { return differences_; }
  bool lineGivenUp() const { return lineGivenUp_; }
  const std::optional<std::string>& outcome() const { return outcome_; }
  int retriesUsed() const { return retriesUsed_; }
  const std::string& areaText() const { return area_; }

  // Forgets the retry counts (a new run starts).
  void newRun();

 private:
  Answer linkFailure(std::string_view text);
  Answer lineDiffers(std::string_view text);
  Answer conflicts(std::string_view text);
  void fail(int exitCode, std::string message);
  std::string where() const;
  std::uint64_t frameKey() const;

  const LinkState* link_ = nullptr;
  int retries_;
  std::ostream& differencesOut_;
  std::ostream& notes_;
  bool quiet_;

  std::optional<Failure> failure_;
  int differences_ = 0;
  bool lineGivenUp_ = false;
  std::optional<std::string> outcome_;
  std::string area_;
  int retriesUsed_ = 0;
  // The frame whose answer was last refused, and how often it has been retried.
  std::optional<std::uint64_t> retriedFrame_;
  int frameRetries_ = 0;
  std::optional<std::uint32_t> rereadLine_;
  int lineRereads_ = 0;
};

}  // namespace kavira::cli
