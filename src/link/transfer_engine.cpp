#include "link/transfer_engine.h"

#include <algorithm>
#include <cerrno>

#include "link/timed_port.h"
#include "link/verification.h"

namespace kavira {
namespace {

// A line that never falls quiet (a stream of garbage) must not hold a retry back for ever: after this
// long the frame is sent anyway, and its answer is judged as usual.
constexpr Millis kQuietGiveUp{3000};

bool IsLetter(std::uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string ComposeVersionText(std::uint8_t minor, std::uint8_t major, std::uint8_t suffix) {
  std::string text = "\tFW : ";
  if (major >= 10) {
    text += "?.??X";
  } else {
    text += static_cast<char>('0' + major);
    text += '.';
    if (minor > 99) {
      text += "??X";
    } else {
      text += static_cast<char>('0' + minor / 10);
      text += static_cast<char>('0' + minor % 10);
    }
  }
  // A suffix letter takes the place of the X, or follows the two digits.
  if (IsLetter(suffix)) {
    text.resize(10);
    text += static_cast<char>(suffix);
  }
  return text;
}

TransferEngine::TransferEngine(ControllerImage& image, Host& host, const Clock& clock)
    : image_(image), host_(host), clock_(clock) {}

void TransferEngine::step(_status posted) {
  if (posted != status || status == _idle_) return;
  if (status != left_) {
    // A command has set the link going since our last step: nothing of the old run carries over.
    pendingError_ = 0;
    quietWait_ = false;
  }
  switch (status) {
    case _init_:
      stepInit();
      break;
    case _sending_:
      stepSending();
      break;
    case _rcving_:
      stepReceiving();
      break;
    case _loop_:
      stepLoop();
      break;
    case _file_:
      if (fileStep) {
        fileStep();
      } else {
        status = _idle_;
      }
      break;
    case _idle_:
      break;
  }
  left_ = status;
  if (status == _idle_ && PBpos != 0) {
    PBpos = 0;
    host_.setProgress(0);
  }
}

TransferEngine::Next TransferEngine::next() const {
  switch (status) {
    case _idle_:
      return Next::Idle;
    case _init_:
      return waitingForQuiet() ? Next::Wait : Next::Now;
    case _sending_:
    case _rcving_:
      return pendingError_ != 0 || port_ == nullptr ? Next::Now : Next::Wait;
    case _loop_:
    case _file_:
      return Next::Now;
  }
  return Next::Idle;
}

std::optional<SteadyTime> TransferEngine::wakeAt() const {
  if (status == _init_ && quietWait_) {
    const SteadyTime from =
        std::max(quietFrom_, port_ ? port_->lastReceived().value_or(quietFrom_) : quietFrom_);
    return std::min(from + kReadInterval, quietFrom_ + kQuietGiveUp);
  }
  if ((status == _sending_ || status == _rcving_) && port_ != nullptr) return port_->nextDeadline();
  return std::nullopt;
}

bool TransferEngine::waitingForQuiet() const {
  if (status != _init_ || !quietWait_) return false;
  const auto at = wakeAt();
  return at && clock_.now() < *at;
}

void TransferEngine::selectAction(_akcja highlighted) {
  if (status == _idle_) akcja = highlighted;
}

void TransferEngine::stop() {
  status = _idle_;
  left_ = _idle_;
  wszystko = 0;
  host_.enableMenuEntry(kEntryZatrzymaj, false);
  if (port_ != nullptr) port_->purge();
  host_.repaint();
  if (PBpos != 0) {
    PBpos = 0;
    host_.setProgress(0);
  }
}

void TransferEngine::restart() {
  host_.enableMenuEntry(kEntryZatrzymaj, false);
  if (port_ != nullptr) port_->purge();
  obszar = _reset_;
  status = _init_;
  left_ = _idle_;
}

void TransferEngine::startVersion() {
  obszar = _version_;
  Adres = 0;
  DataCnt = 2;
  status = _init_;
  left_ = _idle_;
}

void TransferEngine::startBlocks(_akcja action, std::uint32_t from, std::uint32_t to, bool all) {
  akcja = action;
  wszystko = all ? 1 : 0;
  VerifyOK = 1;
  obszar = from == kSettingsUnit ? _sync_ : from == kMidiUnit ? _midi_ : _dane_;
  exakcja = akcja;
  exobszar = obszar;
  AdresOd = from;
  AdresDo = to;
  Adres = 2 * from;
  status = _init_;
  left_ = _idle_;
}

void TransferEngine::startFirmware(FirmwareImage lines, bool verifyOnly) {
  if (port_ != nullptr) port_->purge();
  AdresDo = static_cast<std::uint32_t>(lines.size());
  pgmlines = std::move(lines);
  VerifyOK = 1;
  upgline = 0;
  obszar = _upg_;
  akcja = verifyOnly ? _verify_ : _write_;
  status = _init_;
  left_ = _idle_;
}

void TransferEngine::goIdle() {
  status = _idle_;
  // A run that ends on a failure ends an "&Wszystko" sequence too.
  wszystko = 0;
  host_.enableMenuEntry(kEntryZatrzymaj, false);
}

void TransferEngine::endRun(const std::string& text, Icon icon) {
  host_.messageBox(text, kCaptionFailure, Buttons::Ok, icon);
  goIdle();
  host_.repaint();
}

void TransferEngine::startSending(ByteView frame) {
  status = _sending_;
  pendingError_ = port_ != nullptr ? port_->startWrite(frame) : EBADF;
}

void TransferEngine::stepInit() {
  if (quietWait_) {
    if (waitingForQuiet()) return;
    // Whatever the controller still sent after the failed answer is gone before the frame goes again.
    quietWait_ = false;
    if (port_ != nullptr) port_->purge();
  }
  host_.setStatusText(kPartArea, AreaText(obszar));
  switch (obszar) {
    case _dane_:
    case _sync_:
    case _midi_: {
      if (Adres >= kBlockCount) {
        endRun(kTextProgramError, Icon::Stop);
        return;
      }
      const bool write = akcja == _write_;
      OutBuffer = BuildBlockFrame(image_, Adres, write);
      DataCnt = write ? static_cast<int>(kBlockBytes) : 0;
      startSending(OutBuffer.view());
      host_.enableMenuEntry(kEntryPowtorz, true);
      return;
    }
    case _version_:
      OutBuffer = ShortFrame(kVersionRequest);
      startSending(OutBuffer.view());
      return;
    case _upg_: {
      if (!pgmlines || upgline >= pgmlines->size()) {
        // Only a starter that broke its contract gets here: say so once and stop.
        endRun(kTextProgramError, Icon::Stop);
        return;
      }
      const pgmline_& line = (*pgmlines)[upgline];
      const bool write = akcja == _write_;
      Adres = line.Adres;
      OutBuffer = BuildFirmwareFrame(line, write);
      DataCnt = write ? static_cast<int>(std::min(line.cnt, kFirmwareLineMax)) : 0;
      startSending(OutBuffer.view());
      return;
    }
    case _reset_:
      OutBuffer = ShortFrame(kRestartRequest);
      startSending(OutBuffer.view());
      return;
    case _NN_:
      break;
  }
  status = _idle_;
}

void TransferEngine::stepSending() {
  IoPoll p{IoState::Failed, 0, pendingError_};
  if (pendingError_ == 0) p = port_ != nullptr ? port_->pollWrite() : IoPoll{IoState::Failed, 0, EBADF};
  pendingError_ = 0;
  if (p.state == IoState::Pending) return;
  if (p.state == IoState::Failed) {
    host_.messageBox(kTextSystemError + std::to_string(p.error), kCaptionFailure, Buttons::Ok, Icon::Stop);
    goIdle();
    if (port_ != nullptr) port_->purge();
    host_.repaint();
    return;
  }
  status = _rcving_;
  switch (obszar) {
    case _reset_:
      // The restart request gets no answer.
      status = _idle_;
      host_.repaint();
      return;
    case _version_:
      DataCnt = static_cast<int>(kVersionDataCount);
      break;
    case _upg_:
      DataCnt = pgmlines && upgline < pgmlines->size()
                    ? static_cast<int>(std::min((*pgmlines)[upgline].cnt, kFirmwareLineMax))
                    : 0;
      break;
    default:
      DataCnt = akcja == _write_ ? 0 : static_cast<int>(kBlockBytes);
  }
  pendingError_ = port_->startRead(static_cast<std::size_t>(DataCnt + CtrlCnt));
}

void TransferEngine::stepReceiving() {
  IoPoll p{IoState::Failed, 0, pendingError_};
  if (pendingError_ == 0) p = port_ != nullptr ? port_->pollRead() : IoPoll{IoState::Failed, 0, EBADF};
  pendingError_ = 0;
  if (p.state == IoState::Pending) return;
  if (p.state == IoState::Failed) {
    // Every failed read is reported and ends the run, whatever had arrived before it failed.
    endRun(kTextSystemError + std::to_string(p.error), Icon::Stop);
    return;
  }
  const ByteView got = port_->received();
  InBuffer.size = std::min(got.size(), InBuffer.bytes.size());
  std::copy_n(got.begin(), InBuffer.size, InBuffer.bytes.begin());
  if (akcja == _write_ && obszar != _version_) {
    handleWriteAnswer();
  } else {
    handleDataReply();
  }
}

void TransferEngine::handleWriteAnswer() {
  if (!IsAck(InBuffer.view())) {
    offerRetry(std::string(kTextLinkFailure) + kTextNak);
    return;
  }
  status = _loop_;
  host_.repaint();
}

void TransferEngine::offerRetry(const std::string& text) {
  const Answer a = host_.messageBox(text, kCaptionFailure, Buttons::RetryCancel, Icon::Exclamation);
  if (a == Answer::Retry) {
    status = _init_;
    quietWait_ = true;
    quietFrom_ = clock_.now();
  } else {
    goIdle();
  }
  host_.repaint();
}

void TransferEngine::handleDataReply() {
  const ReplyCheck check = AcceptDataReply(InBuffer.view(), Adres);
  if (!check.ok) {
    if (port_ != nullptr) port_->purge();
    offerRetry(check.failure);
    return;
  }
  RequestKind kind = RequestKind::SceneBlock;
  std::uint32_t lineCnt = 0;
  switch (obszar) {
    case _dane_:
      kind = RequestKind::SceneBlock;
      break;
    case _sync_:
    case _midi_:
      kind = RequestKind::SettingsBlock;
      break;
    case _version_:
      kind = RequestKind::Version;
      break;
    case _upg_:
      kind = RequestKind::FirmwareLine;
      lineCnt = pgmlines && upgline < pgmlines->size() ? (*pgmlines)[upgline].cnt : 0;
      break;
    default:
      break;
  }
  if (!FitsRequest(InBuffer.view(), kind, Adres, lineCnt)) {
    host_.messageBox(kTextProtocol, kCaptionFailure, Buttons::Ok, Icon::Exclamation);
    goIdle();
    host_.repaint();
    return;
  }
  const ByteView data = InBuffer.view().subspan(5, static_cast<std::size_t>(check.DataCnt));
  switch (obszar) {
    case _dane_:
    case _sync_:
    case _midi_:
      status = _loop_;
      if (akcja == _read_) {
        DecodeBlock(image_, Adres, data);
      } else if (akcja == _verify_ &&
                 VerifyBlock(image_, Adres, data, host_, VerifyOK) == BlockVerdict::Stop) {
        host_.repaint();
        goIdle();
      }
      return;
    case _version_:
      HFirmWareVer = ComposeVersionText(data[0], data[1], data[2]);
      host_.setStatusText(kPartFirmware, HFirmWareVer);
      PBpos = 100;
      host_.setProgress(PBpos);
      status = _idle_;
      host_.repaint();
      return;
    case _upg_:
      status = _loop_;
      switch (VerifyLine((*pgmlines)[upgline], upgline, data, host_, VerifyOK)) {
        case LineVerdict::Continue:
          break;
        case LineVerdict::Retry:
          status = _init_;  // the same line is read again
          break;
        case LineVerdict::Stop:
          goIdle();
          break;
      }
      return;
    default:
      status = _idle_;
  }
}

void TransferEngine::stepLoop() {
  switch (obszar) {
    case _dane_:
    case _sync_:
    case _midi_:
      loopBlocks();
      return;
    case _upg_:
      loopFirmware();
      return;
    default:
      status = _idle_;
  }
}

void TransferEngine::loopBlocks() {
  ++Adres;
  if (Adres == kFirstSettingsBlock) obszar = _sync_;
  if (Adres == kFirstMidiBlock) obszar = _midi_;
  if (Adres > 2 * AdresDo + 1) {
    status = _idle_;
    wszystko = 0;
    if (akcja == _verify_) ShowVerifyOutcome(host_, VerifyOK);
    host_.enableMenuEntry(kEntryZatrzymaj, false);
  } else {
    status = _init_;
    host_.enableMenuEntry(kEntryZatrzymaj, true);
    const std::uint32_t units = AdresDo - AdresOd + 1;
    PBpos = units != 0 ? static_cast<int>((Adres - 2 * AdresOd) * 50U / units) : 0;
  }
  host_.repaint();
  host_.setProgress(PBpos);
}

void TransferEngine::loopFirmware() {
  ++upgline;
  status = _init_;
  if (upgline == AdresDo) {
    if (akcja == _write_) {
      // Every line is written: read them all back and compare.
      akcja = _verify_;
      upgline = 0;
    } else {
      ShowVerifyOutcome(host_, VerifyOK);
      obszar = _version_;
      VerifyOK = 1;
      Adres = 0;
      pgmlines.reset();
      upgline = 0;
    }
  }
  PBpos = AdresDo != 0 ? static_cast<int>(upgline * 100U / AdresDo) : 0;
  host_.repaint();
  host_.setProgress(PBpos);
}

}  // namespace kavira
