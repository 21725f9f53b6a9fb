#include "scripted_host.h"

namespace kavira::test {

Answer ScriptedHost::messageBox(const Message& text, const Message& caption, Buttons buttons, Icon icon,
                                MessageKind kind) {
  Answer a = Answer::Ok;
  if (!answers.empty()) {
    a = answers.front();
    answers.pop_front();
  } else if (auto it = defaults.find(buttons); it != defaults.end()) {
    a = it->second;
  } else {
    switch (buttons) {
      case Buttons::Ok:
        a = Answer::Ok;
        break;
      case Buttons::RetryCancel:
        a = Answer::Cancel;
        break;
      case Buttons::YesNo:
        a = Answer::Yes;
        break;
      case Buttons::YesNoDefaultNo:  // the default button
        a = Answer::No;
        break;
      case Buttons::AbortRetryIgnore:
        a = Answer::Abort;
        break;
      case Buttons::OverwriteSkipCancel:
      case Buttons::SaveDiscardCancel:
        a = Answer::Cancel;
        break;
    }
  }
  boxes.push_back({text.Polish(), caption.Polish(), buttons, icon, a, kind});
  if (onBox) onBox(boxes.back());
  return a;
}

std::optional<std::string> ScriptedHost::chooseFile(const FileRequest& request) {
  fileRequests.push_back(request);
  if (files.empty()) return std::nullopt;
  auto f = files.front();
  files.pop_front();
  return f;
}

}  // namespace kavira::test
