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
  if (posted != link_.status || link_.status == _idle_) return;
  switch (link_.status) {
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
      stepFile();
      break;
    case _idle_:
      break;
  }
  if (link_.status == _idle_ && link_.PBpos != 0) {
    link_.PBpos = 0;
    host_.setProgress(0);
  }
}

TransferEngine::Next TransferEngine::next() const {
  switch (link_.status) {
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
  if (link_.status == _init_ && quietWait_) {
    std::optional<SteadyTime> since = quietSince_;
    if (port_ != nullptr) {
      if (const auto u = port_->lastUnsettled()) since = since ? std::max(*since, *u) : *u;
    }
    // A line that has seen nothing at all is quiet.
    if (!since) return quietFrom_;
    return std::min(*since + kReadInterval, quietFrom_ + kQuietGiveUp);
  }
  if ((link_.status == _sending_ || link_.status == _rcving_) && port_ != nullptr)
    return port_->nextDeadline();
  return std::nullopt;
}

bool TransferEngine::waitingForQuiet() const {
  if (link_.status != _init_ || !quietWait_) return false;
  const auto at = wakeAt();
  return at && clock_.now() < *at;
}

void TransferEngine::waitForQuiet(std::optional<SteadyTime> since) {
  quietWait_ = true;
  quietFrom_ = clock_.now();
  quietSince_ = since;
}

void TransferEngine::selectAction(_akcja highlighted) {
  if (link_.status == _idle_) link_.akcja = highlighted;
}

void TransferEngine::beginRun(_status first) {
  if (link_.status != _idle_) {
    // A run is replaced: its pending write or read is aborted.
    host_.enableMenuEntry(kEntryStop, false);
    if (port_ != nullptr) port_->purge();
  }
  pendingError_ = 0;
  quietWait_ = false;
  walk_.reset();
  if (first == _init_) waitForQuiet(std::nullopt);
  link_.status = first;
}

void TransferEngine::recordArea(const BlockWalk& walk) {
  link_.VerifyOK = 1;
  link_.obszar = AreaOfBlock(2 * walk.from);
  link_.exakcja = walk.action;
  link_.exobszar = link_.obszar;
  link_.AdresOd = walk.from;
  link_.AdresDo = walk.to;
}

void TransferEngine::recordAreaCommand(const BlockWalk& walk) {
  if (link_.status != _idle_) return;
  recordArea(walk);
}

void TransferEngine::startArea(const BlockWalk& walk, _status first) {
  recordArea(walk);
  link_.akcja = walk.action;
  link_.wszystko = walk.all ? 1 : 0;
  link_.Adres = 2 * walk.from;
  beginRun(first);
}

void TransferEngine::startBlocks(const BlockWalk& walk) {
  startArea(walk, _init_);
}

void TransferEngine::startFileStep(const BlockWalk& walk) {
  startArea(walk, _file_);
}

void TransferEngine::startFirmware(FirmwareImage lines, bool verifyOnly) {
  if (port_ != nullptr) port_->purge();
  // The line count is kept apart from AdresOd..AdresDo: "&Powtórz" still walks the last area
  // command's range after an update.
  link_.lncnt = static_cast<std::uint32_t>(lines.size());
  link_.pgmlines = std::move(lines);
  link_.VerifyOK = 1;
  link_.upgline = 0;
  link_.obszar = _upg_;
  link_.akcja = verifyOnly ? _verify_ : _write_;
  // New firmware may keep the memory in another way, or clear it.
  if (!verifyOnly) copy_.forgetAll();
  link_.wszystko = 0;
  beginRun(_init_);
}

void TransferEngine::startVersion() {
  link_.obszar = _version_;
  link_.Adres = 0;
  link_.wszystko = 0;
  beginRun(_init_);
}

void TransferEngine::restart() {
  copy_.forgetAll();
  host_.enableMenuEntry(kEntryStop, false);
  if (port_ != nullptr) port_->purge();
  link_.obszar = _reset_;
  link_.wszystko = 0;
  beginRun(_init_);
}

void TransferEngine::stop() {
  link_.status = _idle_;
  link_.wszystko = 0;
  pendingError_ = 0;
  quietWait_ = false;
  host_.enableMenuEntry(kEntryStop, false);
  if (port_ != nullptr) port_->purge();
  host_.repaint();
  if (link_.PBpos != 0) {
    link_.PBpos = 0;
    host_.setProgress(0);
  }
}

void TransferEngine::goIdle() {
  link_.status = _idle_;
  // A run that ends on a failure ends an "&Wszystko" sequence too.
  link_.wszystko = 0;
  host_.enableMenuEntry(kEntryStop, false);
  host_.repaint();
}

void TransferEngine::endRun(const Message& text, Icon icon, MessageKind kind) {
  host_.messageBox(text, Texts::kCaptionFailure, Buttons::Ok, icon, kind);
  goIdle();
}

void TransferEngine::startSending(ByteView frame) {
  // Until its answer has come whole and right, nobody knows what the block holds: a write may or
  // may not have reached the controller.
  if (link_.obszar <= _midi_) copy_.forget(link_.Adres);
  link_.status = _sending_;
  pendingError_ = port_ != nullptr ? port_->startWrite(frame) : kLineNotOpen;
}

void TransferEngine::stepInit() {
  if (quietWait_) {
    if (waitingForQuiet()) return;
    // Whatever the controller still sent (after a failed answer, or of an interrupted run) is gone
    // before the frame goes.
    quietWait_ = false;
    if (port_ != nullptr) port_->purge();
  }
  host_.setStatusText(kPartArea, AreaText(link_.obszar));
  switch (link_.obszar) {
    case _dane_:
    case _sync_:
    case _midi_: {
      if (walk_) {
        initWalk();
        return;
      }
      if (link_.Adres >= kBlockCount || link_.AdresOd > link_.AdresDo || link_.AdresDo >= kBlockCount / 2) {
        endRun(Texts::kProgramError, Icon::Stop, MessageKind::ProgramError);
        return;
      }
      const bool write = link_.akcja == _write_;
      OutBuffer = BuildBlockFrame(image_, link_.Adres, write);
      startSending(OutBuffer.view());
      host_.enableMenuEntry(kEntryRepeat, true);
      return;
    }
    case _version_:
      OutBuffer = ShortFrame(kVersionRequest);
      startSending(OutBuffer.view());
      return;
    case _upg_: {
      if (!link_.pgmlines || link_.upgline >= link_.pgmlines->size()) {
        // Only a starter that broke its contract gets here: say so once and stop.
        endRun(Texts::kProgramError, Icon::Stop, MessageKind::ProgramError);
        return;
      }
      const pgmline_& line = (*link_.pgmlines)[link_.upgline];
      const bool write = link_.akcja == _write_;
      link_.Adres = line.Adres;
      OutBuffer = BuildFirmwareFrame(line, write);
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
  link_.status = _idle_;
}

void TransferEngine::stepSending() {
  IoPoll p{IoState::Failed, 0, pendingError_};
  if (pendingError_ == 0)
    p = port_ != nullptr ? port_->pollWrite() : IoPoll{IoState::Failed, 0, kLineNotOpen};
  pendingError_ = 0;
  if (p.state == IoState::Pending) return;
  if (p.state == IoState::Failed) {
    host_.messageBox(Message(Texts::kSystemError, {std::to_string(p.error)}), Texts::kCaptionFailure,
                     Buttons::Ok, Icon::Stop, MessageKind::SystemError);
    if (port_ != nullptr) port_->purge();
    goIdle();
    return;
  }
  link_.status = _rcving_;
  switch (link_.obszar) {
    case _reset_:
      // The restart request gets no answer.
      link_.status = _idle_;
      host_.repaint();
      return;
    case _version_:
      DataCnt = static_cast<int>(kVersionDataCount);
      break;
    case _upg_:
      DataCnt = link_.pgmlines && link_.upgline < link_.pgmlines->size()
                    ? static_cast<int>(std::min((*link_.pgmlines)[link_.upgline].cnt, kFirmwareLineMax))
                    : 0;
      break;
    default:
      DataCnt = link_.akcja == _write_ ? 0 : static_cast<int>(kBlockBytes);
  }
  pendingError_ = port_->startRead(static_cast<std::size_t>(DataCnt) + static_cast<std::size_t>(CtrlCnt));
}

void TransferEngine::stepReceiving() {
  IoPoll p{IoState::Failed, 0, pendingError_};
  if (pendingError_ == 0) p = port_ != nullptr ? port_->pollRead() : IoPoll{IoState::Failed, 0, kLineNotOpen};
  pendingError_ = 0;
  if (p.state == IoState::Pending) return;
  if (p.state == IoState::Failed) {
    // Every failed read is reported and ends the run, whatever had arrived before it failed.
    endRun(Message(Texts::kSystemError, {std::to_string(p.error)}), Icon::Stop, MessageKind::SystemError);
    return;
  }
  const ByteView got = port_->received();
  InBuffer.size = std::min(got.size(), InBuffer.bytes.size());
  std::copy_n(got.begin(), InBuffer.size, InBuffer.bytes.begin());
  if (link_.akcja == _write_ && link_.obszar != _version_) {
    handleWriteAnswer();
  } else {
    handleDataReply();
  }
}

void TransferEngine::handleWriteAnswer() {
  const ByteView answer = InBuffer.view();
  if (!IsAck(answer)) {
    // A refusal, or a wrong answer, is a NAK; an answer that did not come (or not whole) is missing
    // data, as a read calls it, so that a dead line is not taken for a controller that says no.
    const bool missing = answer.size() < kAckFrame.size() && (answer.empty() || answer[0] != kCmdNak);
    offerRetry(Message(
        Texts::kLinkFailure,
        {missing ? Message(Texts::kNoData, {std::to_string(answer.size())}) : Message::Text(kTextNak)}));
    return;
  }
  if (link_.obszar <= _midi_) {
    copy_.learn(link_.Adres, OutBuffer.view().subspan(5, kBlockBytes));
    if (walk_) {
      walk_->acknowledged();
    } else if (blockWritten) {
      blockWritten(link_.Adres);
    }
  }
  link_.status = _loop_;
  host_.repaint();
}

void TransferEngine::offerRetry(const Message& text) {
  const Answer a = host_.messageBox(text, Texts::kCaptionFailure, Buttons::RetryCancel, Icon::Exclamation,
                                    MessageKind::LinkFailure);
  if (a == Answer::Retry) {
    link_.status = _init_;
    waitForQuiet(clock_.now());
    host_.repaint();
  } else {
    goIdle();
  }
}

void TransferEngine::handleDataReply() {
  const ReplyCheck check = AcceptDataReply(InBuffer.view(), link_.Adres);
  if (!check.ok) {
    if (port_ != nullptr) port_->purge();
    offerRetry(check.failure);
    return;
  }
  RequestKind kind = RequestKind::SceneBlock;
  std::uint32_t lineCnt = 0;
  switch (link_.obszar) {
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
      lineCnt =
          link_.pgmlines && link_.upgline < link_.pgmlines->size() ? (*link_.pgmlines)[link_.upgline].cnt : 0;
      break;
    default:
      break;
  }
  if (!FitsRequest(InBuffer.view(), kind, link_.Adres, lineCnt)) {
    host_.messageBox(Texts::kProtocol, Texts::kCaptionFailure, Buttons::Ok, Icon::Exclamation,
                     MessageKind::ProtocolError);
    goIdle();
    return;
  }
  const ByteView data = InBuffer.view().subspan(5, static_cast<std::size_t>(check.DataCnt));
  switch (link_.obszar) {
    case _dane_:
    case _sync_:
    case _midi_:
      link_.status = _loop_;
      copy_.learn(link_.Adres, data);
      if (walk_) {
        switch (walk_->received(data, host_, link_.VerifyOK)) {
          case AreaWalk::Reply::Next:
            break;
          case AreaWalk::Reply::Again:
            link_.status = _init_;
            break;
          case AreaWalk::Reply::Stop:
            goIdle();
            break;
        }
      } else if (link_.akcja == _read_ && readTarget_ != nullptr) {
        DecodeBlock(*readTarget_, link_.Adres, data);
        readIntoTarget_.set(link_.Adres);
      } else if (link_.akcja == _read_) {
        DecodeBlock(image_, link_.Adres, data);
        markFilled(link_.Adres / 2, link_.Adres / 2);
      } else if (link_.akcja == _verify_ &&
                 VerifyBlock(image_, link_.Adres, data, host_, link_.VerifyOK) == BlockVerdict::Stop) {
        goIdle();
      }
      return;
    case _version_:
      link_.HFirmWareVer = ComposeVersionText(data[0], data[1], data[2]);
      host_.setStatusText(kPartFirmware, Message::Text(link_.HFirmWareVer));
      link_.PBpos = 100;
      host_.setProgress(link_.PBpos);
      link_.status = _idle_;
      host_.repaint();
      return;
    case _upg_:
      link_.status = _loop_;
      switch (VerifyLine((*link_.pgmlines)[link_.upgline], link_.upgline, data, host_, link_.VerifyOK)) {
        case LineVerdict::Continue:
          break;
        case LineVerdict::Retry:
          link_.status = _init_;  // the same line is read again
          break;
        case LineVerdict::Stop:
          goIdle();
          break;
      }
      return;
    default:
      link_.status = _idle_;
  }
}

void TransferEngine::stepLoop() {
  switch (link_.obszar) {
    case _dane_:
    case _sync_:
    case _midi_:
      if (walk_) {
        loopWalk();
      } else {
        loopBlocks();
      }
      return;
    case _upg_:
      loopFirmware();
      return;
    default:
      link_.status = _idle_;
  }
}

void TransferEngine::loopBlocks() {
  ++link_.Adres;
  if (link_.Adres < kBlockCount) link_.obszar = AreaOfBlock(link_.Adres);
  if (link_.Adres > 2 * link_.AdresDo + 1) {
    link_.status = _idle_;
    link_.wszystko = 0;
    if (link_.akcja == _verify_) ShowVerifyOutcome(host_, link_.VerifyOK);
    host_.enableMenuEntry(kEntryStop, false);
  } else {
    link_.status = _init_;
    host_.enableMenuEntry(kEntryStop, true);
    const std::uint32_t units = link_.AdresDo - link_.AdresOd + 1;
    link_.PBpos = units != 0 ? static_cast<int>((link_.Adres - 2 * link_.AdresOd) * 50U / units) : 0;
  }
  host_.repaint();
  host_.setProgress(link_.PBpos);
}

void TransferEngine::loopFirmware() {
  ++link_.upgline;
  link_.status = _init_;
  if (link_.upgline == link_.lncnt) {
    if (link_.akcja == _write_) {
      // Every line is written: read them all back and compare.
      link_.akcja = _verify_;
      link_.upgline = 0;
    } else {
      ShowVerifyOutcome(host_, link_.VerifyOK);
      link_.obszar = _version_;
      link_.VerifyOK = 1;
      link_.Adres = 0;
      link_.pgmlines.reset();
      link_.upgline = 0;
    }
  }
  link_.PBpos = link_.lncnt != 0 ? static_cast<int>(link_.upgline * 100U / link_.lncnt) : 0;
  host_.repaint();
  host_.setProgress(link_.PBpos);
}

const ChangesReport& TransferEngine::changes() const {
  static const ChangesReport none;
  return walk_ ? walk_->report() : none;
}

void TransferEngine::markFilled(std::uint32_t from, std::uint32_t to) {
  for (std::uint32_t u = from; u <= to && u < filled_.size(); ++u)
    filled_.set(u);
}

bool TransferEngine::filled(const BlockWalk& area) const {
  for (std::uint32_t u = area.from; u <= area.to && u < filled_.size(); ++u)
    if (!filled_.test(u)) return false;
  return true;
}

ChangesRequest TransferEngine::changesRequest(const BlockWalk& area) const {
  ChangesRequest request{WalkKind::Changes, area.from, area.to, area.all, {}};
  if (area.to >= kBlockCount / 2 || area.from > area.to || !copy_.knowsUnits(area.from, area.to))
    return request;
  request.kind = WalkKind::Since;
  for (std::uint32_t b = 2 * area.from; b <= 2 * area.to + 1; ++b) {
    const BlockData held = *copy_.bytes(b);
    if (BlockDiffers(image_, b, held, Comparison::Travelling)) request.known.push_back({b, held});
  }
  return request;
}

void TransferEngine::startChangesWalk(ChangesRequest request) {
  link_.VerifyOK = 1;
  link_.wszystko = 0;
  link_.akcja = _write_;
  beginRun(_init_);
  walk_ = std::make_unique<ChangesWalk>(image_, std::move(request),
                                        [this](std::uint32_t block, ByteView previous) {
                                          return beforeWrite ? beforeWrite(block, previous) : Message();
                                        });
  link_.Adres = walk_->block();
  link_.obszar = AreaOfBlock(link_.Adres);
}

void TransferEngine::initWalk() {
  const AreaWalk::Frame f = walk_->frame();
  switch (f.kind) {
    case AreaWalk::Frame::End:
      finishWalk();
      return;
    case AreaWalk::Frame::Failed:
      endRun(f.failure, Icon::Stop, MessageKind::FileFailure);
      return;
    case AreaWalk::Frame::Write:
      link_.akcja = _write_;
      OutBuffer = BuildBlockWriteFrame(f.block, f.bytes);
      break;
    case AreaWalk::Frame::Read:
      link_.akcja = _verify_;
      OutBuffer = BuildBlockFrame(image_, f.block, false);
      break;
  }
  link_.Adres = f.block;
  link_.obszar = AreaOfBlock(f.block);
  host_.setStatusText(kPartArea, AreaText(link_.obszar));
  startSending(OutBuffer.view());
  host_.enableMenuEntry(kEntryStop, true);
}

void TransferEngine::loopWalk() {
  const bool more = walk_->advance();
  link_.PBpos = walk_->progress();
  if (!more) {
    finishWalk();
    return;
  }
  link_.Adres = walk_->block();
  link_.obszar = AreaOfBlock(link_.Adres);
  link_.status = _init_;
  host_.repaint();
  host_.setProgress(link_.PBpos);
}

void TransferEngine::finishWalk() {
  link_.status = _idle_;
  link_.wszystko = 0;
  link_.PBpos = walk_->progress();
  walk_->finish(link_.VerifyOK != 0);
  host_.enableMenuEntry(kEntryStop, false);
  host_.repaint();
  host_.setProgress(link_.PBpos);
  if (changesEnded) changesEnded(walk_->report());
}

void TransferEngine::stepFile() {
  // The file step runs with the link idle: its dialogs may show the state, and a box about a file
  // does not leave the action's text in the status bar.
  link_.status = _idle_;
  const FileStepEnd end = fileStep ? fileStep(link_) : FileStepEnd::Cancelled;
  if (link_.akcja == _fread_ && (end == FileStepEnd::Done || end == FileStepEnd::NextArea)) {
    // A data file holds its whole area.
    if (link_.obszar == _dane_) markFilled(0, kLastScene);
    if (link_.obszar == _sync_) markFilled(kSettingsUnit, kSettingsUnit);
    if (link_.obszar == _midi_) markFilled(kMidiUnit, kMidiUnit);
  }
  switch (end) {
    case FileStepEnd::NextArea:
      if (link_.wszystko != 0 && (link_.obszar == _dane_ || link_.obszar == _sync_)) {
        link_.obszar = link_.obszar == _dane_ ? _sync_ : _midi_;
        link_.status = _file_;
        return;
      }
      break;
    case FileStepEnd::Done:
    case FileStepEnd::Failed:
      break;
    case FileStepEnd::Cancelled:
      link_.akcja = _NA_;
      break;
  }
  link_.wszystko = 0;
}

}  // namespace kavira
