#include "cli/cli_host.h"

#include <algorithm>
#include <ostream>
#include <string_view>
#include <vector>

#include "cli/area.h"
#include "files/path_text.h"
#include "link/frames.h"
#include "link/transfer_engine.h"
#include "link/verification.h"
#include "model/hex_text.h"
#include "platform/system_error.h"
#include "platform/translation.h"

namespace kavira::cli {
namespace {

bool IsBreak(char c) {
  return c == '\n' || c == '\t' || c == '\r';
}
bool IsBlank(char c) {
  return c == ' ' || IsBreak(c);
}

}  // namespace

std::string OneLine(std::string_view text) {
  const std::string question = TranslateText(Texts::kVerifyQuestion);
  if (const auto q = text.rfind(question); q != std::string_view::npos) text = text.substr(0, q);
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (!IsBlank(text[i])) {
      out += text[i++];
      continue;
    }
    std::size_t j = i;
    bool hasBreak = false;
    while (j < text.size() && IsBlank(text[j]))
      hasBreak = IsBreak(text[j++]) || hasBreak;
    // Blanks of the text itself stay as they are; a line break or tab and the blanks around it
    // become one blank.
    out += hasBreak ? std::string(" ") : std::string(text.substr(i, j - i));
    i = j;
  }
  const auto first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

std::string PrintableText(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t start = i;
    const std::optional<char32_t> c = DecodeUtf8(text, i);
    if (!c || *c < 0x20 || *c == 0x7F) {
      for (std::size_t k = start; k < i; ++k) {
        const auto byte = static_cast<unsigned char>(text[k]);
        switch (byte) {
          case '\n':
            out += "\\n";
            break;
          case '\r':
            out += "\\r";
            break;
          case '\t':
            out += "\\t";
            break;
          default:
            out += "\\x" + HexText(byte, 2, HexCase::Lower);
        }
      }
    } else if ((*c >= 0x80 && *c < 0xA0) || *c == 0x200E || *c == 0x200F || (*c >= 0x2028 && *c <= 0x202E) ||
               (*c >= 0x2066 && *c <= 0x2069)) {
      out += "\\u" + HexText(static_cast<std::uint32_t>(*c), 4);
    } else if (*c == '\\') {
      out += "\\\\";
    } else {
      out.append(text.substr(start, i - start));
    }
  }
  return out;
}

Message WithErrorText(const Message& text) {
  if (const auto code = BoxErrorCode(text.Polish()))
    return text + Message::Text(" (" + SystemErrorText(*code) + ")");
  return text;
}

CliHost::CliHost(int retries, std::ostream& differences, std::ostream& notes, bool quiet)
    : retries_(retries), differencesOut_(differences), notes_(notes), quiet_(quiet) {}

void CliHost::newRun() {
  retriedFrame_.reset();
  frameRetries_ = 0;
  rereadLine_.reset();
  lineRereads_ = 0;
}

std::uint64_t CliHost::frameKey() const {
  if (link_ == nullptr) return 0;
  return (static_cast<std::uint64_t>(link_->obszar) << 56) |
         (static_cast<std::uint64_t>(link_->akcja) << 48) |
         (static_cast<std::uint64_t>(link_->upgline) << 24) | link_->Adres;
}

std::string CliHost::where() const {
  if (link_ == nullptr) return "the link";
  switch (link_->obszar) {
    case _dane_:
      return "block " + std::to_string(link_->Adres) + " (scene " + SceneName(link_->Adres / 2) + ")";
    case _sync_:
      return "block " + std::to_string(link_->Adres) + " (settings)";
    case _midi_:
      return "block " + std::to_string(link_->Adres) + " (MIDI)";
    case _version_:
      return "the version request";
    case _upg_:
      return "firmware line " + std::to_string(link_->upgline) + " (address 0x" + HexText(link_->Adres, 5) +
             ")";
    case _reset_:
      return "the restart request";
    case _NN_:
      break;
  }
  return "the link";
}

void CliHost::fail(int exitCode, std::string message) {
  // The first failure is the one that ended the run; anything after it only follows from it.
  if (!failure_) failure_ = Failure{exitCode, std::move(message)};
}

Answer CliHost::linkFailure(std::string_view text) {
  const std::uint64_t key = frameKey();
  if (retriedFrame_ != key) {
    retriedFrame_ = key;
    frameRetries_ = 0;
  }
  const std::string what = OneLine(text) + " at " + where();
  if (frameRetries_ < retries_) {
    ++frameRetries_;
    ++retriesUsed_;
    if (!quiet_) {
      if (beforeNote) beforeNote();
      notes_ << notePrefix << what << "; retry " << frameRetries_ << " of " << retries_ << std::endl;
    }
    return Answer::Retry;
  }
  fail(3, what + (retries_ == 0 ? " (no retries allowed)"
                                : ", still failing after " + std::to_string(retries_) +
                                      (retries_ == 1 ? " retry" : " retries")));
  return Answer::Cancel;
}

Answer CliHost::lineDiffers(std::string_view text) {
  const std::uint32_t line = link_ != nullptr ? link_->upgline : 0;
  if (rereadLine_ != line) {
    rereadLine_ = line;
    lineRereads_ = 0;
  }
  if (lineRereads_ < retries_) {
    ++lineRereads_;
    // The same line is read again; a refusal of that read is counted afresh.
    retriedFrame_.reset();
    if (!quiet_) {
      if (beforeNote) beforeNote();
      notes_ << "kaviraob-cli: firmware line " << line << " differs; reading it again (" << lineRereads_
             << " of " << retries_ << ")" << std::endl;
    }
    return Answer::Retry;
  }
  lineGivenUp_ = true;
  if (differencesOnTerminal && beforeNote) beforeNote();
  ++differences_;
  differencesOut_ << OneLine(text) << std::endl;
  return Answer::Abort;
}

Answer CliHost::conflicts(std::string_view text) {
  // One line a conflict: the box's lines between its heading and its closing choice.
  if (differencesOnTerminal && beforeNote) beforeNote();
  std::vector<std::string_view> lines;
  for (std::string_view rest = text; !rest.empty();) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    lines.push_back(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    ++differences_;
    differencesOut_ << lines[i] << '\n';
  }
  return overwriteConflicts ? Answer::Overwrite : Answer::Cancel;
}

Answer CliHost::messageBox(const Message& message, const Message& caption, Buttons buttons, Icon,
                           MessageKind kind) {
  const std::string text = TranslateText(kind == MessageKind::SystemError ? WithErrorText(message) : message);
  switch (kind) {
    case MessageKind::LinkFailure:
      return linkFailure(text);
    case MessageKind::FirmwareDiffers:
      return lineDiffers(text);
    case MessageKind::Question:
      if (buttons != Buttons::YesNo) break;
      return ask && ask(TranslateText(caption) + "\n" + text) ? Answer::Yes : Answer::No;
    case MessageKind::Conflict:
      return conflicts(text);
    case MessageKind::VerifyDifference:
      // A verification difference: one line, and checking goes on.
      if (differencesOnTerminal && beforeNote) beforeNote();
      ++differences_;
      differencesOut_ << OneLine(text) << '\n';
      return Answer::Yes;
    default:
      break;
  }
  if (buttons == Buttons::RetryCancel) return linkFailure(text);
  if (phase == Phase::UpdateFile) {
    fail(4, (updateFile ? *updateFile + ": " : std::string()) + OneLine(text));
  } else if (kind == MessageKind::VerifyOutcome) {
    // The outcome of a verify run.
    outcome_ = text;
    if (!quiet_) {
      if (beforeNote) beforeNote();
      notes_ << notePrefix << OneLine(text) << std::endl;
    }
  } else {
    std::string line = OneLine(text);
    if (inRun) line += " at " + where();
    if (!portName.empty()) line += " on " + portName;
    fail(3, line);
  }
  return Answer::Ok;
}

void CliHost::setStatusText(int part, const Message& text) {
  if (part != kPartArea) return;
  area_ = TranslateText(text);
  if (!area_.empty() && area_.front() == '\t') area_.erase(0, 1);
}

std::optional<std::string> CliHost::chooseFile(const FileRequest& request) {
  if (request.save) return std::nullopt;
  return updateFile;
}

}  // namespace kavira::cli
