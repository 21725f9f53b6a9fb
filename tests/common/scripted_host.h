// A Host for tests: records every box, status text, progress position and menu change, and answers
// boxes from a script (or with a default per button set).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/host.h"

namespace kavira::test {

struct BoxRecord {
  std::string text;
  std::string caption;
  Buttons buttons;
  Icon icon;
  Answer answer;
  MessageKind kind = MessageKind::Information;
};

class ScriptedHost : public Host {
 public:
  // Records the texts in Polish, as the catalogue composes them.
  Answer messageBox(const Message& text, const Message& caption, Buttons buttons, Icon icon,
                    MessageKind kind) override;
  void setStatusText(int part, const Message& text) override { status[part] = text.Polish(); }
  void setProgress(int position) override { progress.push_back(position); }
  void enableMenuEntry(int position, bool enabled) override { menu[position] = enabled; }
  void repaint() override {
    ++repaints;
    if (onRepaint) onRepaint();
  }
  std::optional<std::string> chooseFile(const FileRequest& request) override;

  // Answers for the next boxes, in order; when empty, the default for the buttons is used
  // (Ok, Retry->Cancel, Yes, Abort) unless a default is set.
  std::deque<Answer> answers;
  std::map<Buttons, Answer> defaults;
  // Names for the next file dialogs; std::nullopt cancels.
  std::deque<std::optional<std::string>> files;
  // Called at each box, after it is recorded (for example to change state as a user would).
  std::function<void(const BoxRecord&)> onBox;
  std::function<void()> onRepaint;

  std::vector<BoxRecord> boxes;
  // The first box, or an empty record when there was none, so that a row of a table goes on checking.
  BoxRecord firstBox() const { return boxes.empty() ? BoxRecord{} : boxes.front(); }
  std::vector<FileRequest> fileRequests;
  std::map<int, std::string> status;
  std::vector<int> progress;
  std::map<int, bool> menu;
  int repaints = 0;
};

}  // namespace kavira::test
