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
  walkKind_ = WalkKind::Blocks;
  if (first == _init_) waitForQuiet(std::nullopt);
  link_.status = first;
}

void TransferEngine::recordArea(const BlockWalk& walk) {
  link_.VerifyOK = 1;
  link_.obszar = walk.from == kSettingsUnit ? _sync_ : walk.from == kMidiUnit ? _midi_ : _dane_;
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
  link_.wszystko = 0;
  beginRun(_init_);
}

void TransferEngine::startVersion() {
  link_.obszar = _version_;
  link_.Adres = 0;
  link_.wszystko = 0;
  DataCnt = 2;
  beginRun(_init_);
}

void TransferEngine::restart() {
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

void TransferEngine::endRun(const std::string& text, Icon icon, MessageKind kind) {
  host_.messageBox(text, kCaptionFailure, Buttons::Ok, icon, kind);
  goIdle();
}

void TransferEngine::startSending(ByteView frame) {
  link_.status = _sending_;
  pendingError_ = port_ != nullptr ? port_->startWrite(frame) : EBADF;
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
      if (walkKind_ != WalkKind::Blocks) {
        initChanges();
        return;
      }
      if (link_.Adres >= kBlockCount || link_.AdresOd > link_.AdresDo || link_.AdresDo >= kBlockCount / 2) {
        endRun(kTextProgramError, Icon::Stop, MessageKind::ProgramError);
        return;
      }
      const bool write = link_.akcja == _write_;
      OutBuffer = BuildBlockFrame(image_, link_.Adres, write);
      DataCnt = write ? static_cast<int>(kBlockBytes) : 0;
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
        endRun(kTextProgramError, Icon::Stop, MessageKind::ProgramError);
        return;
      }
      const pgmline_& line = (*link_.pgmlines)[link_.upgline];
      const bool write = link_.akcja == _write_;
      link_.Adres = line.Adres;
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
  link_.status = _idle_;
}

void TransferEngine::stepSending() {
  IoPoll p{IoState::Failed, 0, pendingError_};
  if (pendingError_ == 0) p = port_ != nullptr ? port_->pollWrite() : IoPoll{IoState::Failed, 0, EBADF};
  pendingError_ = 0;
  if (p.state == IoState::Pending) return;
  if (p.state == IoState::Failed) {
    host_.messageBox(Format(Texts::kSystemError, {std::to_string(p.error)}), kCaptionFailure, Buttons::Ok,
                     Icon::Stop, MessageKind::SystemError);
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
  if (pendingError_ == 0) p = port_ != nullptr ? port_->pollRead() : IoPoll{IoState::Failed, 0, EBADF};
  pendingError_ = 0;
  if (p.state == IoState::Pending) return;
  if (p.state == IoState::Failed) {
    // Every failed read is reported and ends the run, whatever had arrived before it failed.
    endRun(Format(Texts::kSystemError, {std::to_string(p.error)}), Icon::Stop, MessageKind::SystemError);
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
  if (!IsAck(InBuffer.view())) {
    offerRetry(Format(Texts::kLinkFailure, {kTextNak}));
    return;
  }
  if (walkKind_ != WalkKind::Blocks && link_.obszar <= _midi_) changesAcknowledged();
  link_.status = _loop_;
  host_.repaint();
}

void TransferEngine::offerRetry(const std::string& text) {
  const Answer a = host_.messageBox(text, kCaptionFailure, Buttons::RetryCancel, Icon::Exclamation,
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
    host_.messageBox(kTextProtocol, kCaptionFailure, Buttons::Ok, Icon::Exclamation,
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
      if (walkKind_ != WalkKind::Blocks) {
        changesReply(data);
      } else if (link_.akcja == _read_) {
        DecodeBlock(image_, link_.Adres, data);
      } else if (link_.akcja == _verify_ &&
                 VerifyBlock(image_, link_.Adres, data, host_, link_.VerifyOK) == BlockVerdict::Stop) {
        goIdle();
      }
      return;
    case _version_:
      link_.HFirmWareVer = ComposeVersionText(data[0], data[1], data[2]);
      host_.setStatusText(kPartFirmware, link_.HFirmWareVer);
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
      if (walkKind_ != WalkKind::Blocks) {
        loopChanges();
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
  if (link_.Adres == kFirstSettingsBlock) link_.obszar = _sync_;
  if (link_.Adres == kFirstMidiBlock) link_.obszar = _midi_;
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

void TransferEngine::startChanges(const BlockWalk& area) {
  std::vector<KnownBlock> blocks;
  for (std::uint32_t b = 2 * area.from; b <= 2 * area.to + 1 && b < kBlockCount; ++b)
    blocks.push_back({b, {}});
  startChangesWalk(WalkKind::Changes, area, std::move(blocks));
}

void TransferEngine::startSince(const BlockWalk& area, std::vector<KnownBlock> known) {
  startChangesWalk(WalkKind::Since, area, std::move(known));
}

void TransferEngine::startUndo(const BlockWalk& area, std::vector<KnownBlock> known) {
  startChangesWalk(WalkKind::Undo, area, std::move(known));
}

void TransferEngine::startChangesWalk(WalkKind kind, const BlockWalk& area, std::vector<KnownBlock> known) {
  // Blocks outside the memory are no part of any walk.
  std::erase_if(known, [](const KnownBlock& k) { return k.block >= kBlockCount; });
  walkBlocks_ = std::move(known);
  if (kind == WalkKind::Undo) {
    undoImage_ = std::make_unique<ControllerImage>();
    for (const KnownBlock& k : walkBlocks_)
      DecodeBlock(*undoImage_, k.block, k.bytes);
  } else {
    undoImage_.reset();
  }
  walkIndex_ = 0;
  writtenIndexes_.clear();
  readBackIndex_ = 0;
  report_ = ChangesReport{};
  report_.kind = kind;
  link_.VerifyOK = 1;
  link_.wszystko = 0;
  link_.akcja = _write_;
  link_.obszar = area.from == kSettingsUnit ? _sync_ : area.from == kMidiUnit ? _midi_ : _dane_;
  link_.Adres = walkBlocks_.empty() ? 2 * area.from : walkBlocks_.front().block;
  beginRun(_init_);
  walkKind_ = kind;
  phase_ = ChangesPhase::Compare;
  enterChangesBlock();
}

void TransferEngine::enterChangesBlock() {
  journaled_ = false;
  const std::vector<KnownBlock>& list = walkBlocks_;
  std::uint32_t block = 0;
  if (phase_ == ChangesPhase::ReadBack || readBackIndex_ > 0 || walkIndex_ >= list.size()) {
    phase_ = ChangesPhase::ReadBack;
    if (readBackIndex_ < writtenIndexes_.size()) block = list[writtenIndexes_[readBackIndex_]].block;
  } else {
    phase_ = walkKind_ == WalkKind::Since ? ChangesPhase::Write : ChangesPhase::Compare;
    block = list[walkIndex_].block;
    if (walkKind_ == WalkKind::Since) previous_ = list[walkIndex_].bytes;
  }
  link_.Adres = block;
  link_.obszar = block >= kFirstMidiBlock ? _midi_ : block >= kFirstSettingsBlock ? _sync_ : _dane_;
}

void TransferEngine::initChanges() {
  const bool readBackDone = phase_ == ChangesPhase::ReadBack && readBackIndex_ >= writtenIndexes_.size();
  if (readBackDone) {
    // Nothing (more) to read back: the walk is over.
    link_.status = _loop_;
    loopChanges();
    return;
  }
  const std::uint32_t block = link_.Adres;
  if (phase_ == ChangesPhase::Write) {
    if (!journaled_) {
      // The write-ahead rule: the previous content is kept before the write frame goes.
      const std::string failure = beforeWrite ? beforeWrite(block, previous_) : std::string();
      if (!failure.empty()) {
        endRun(failure, Icon::Stop, MessageKind::FileFailure);
        return;
      }
      journaled_ = true;
    }
    link_.akcja = _write_;
    OutBuffer = walkKind_ == WalkKind::Undo ? BuildBlockWriteFrame(block, walkBlocks_[walkIndex_].bytes)
                                            : BuildBlockFrame(image_, block, true);
  } else {
    link_.akcja = _verify_;
    OutBuffer = BuildBlockFrame(image_, block, false);
  }
  host_.setStatusText(kPartArea, AreaText(link_.obszar));
  DataCnt = link_.akcja == _write_ ? static_cast<int>(kBlockBytes) : 0;
  startSending(OutBuffer.view());
  host_.enableMenuEntry(kEntryStop, true);
}

void TransferEngine::changesReply(ByteView data) {
  const std::uint32_t block = link_.Adres;
  if (phase_ == ChangesPhase::Compare) {
    const KnownBlock& k = walkBlocks_[walkIndex_];
    const bool differs = walkKind_ == WalkKind::Undo ? !std::equal(data.begin(), data.end(), k.bytes.begin())
                                                     : BlockDiffers(image_, block, data);
    if (!differs) {
      ++report_.equal;
      return;  // _loop_: the next block
    }
    std::copy_n(data.begin(), kBlockBytes, previous_.begin());
    // The same block is written next, at once (the line is quiet: its answer has just arrived).
    phase_ = ChangesPhase::Write;
    link_.status = _init_;
    return;
  }
  // Read back.
  const KnownBlock& k = walkBlocks_[writtenIndexes_[readBackIndex_]];
  const ControllerImage& wanted = walkKind_ == WalkKind::Undo ? *undoImage_ : image_;
  if (VerifyBlock(wanted, block, data, host_, link_.VerifyOK) == BlockVerdict::Stop) {
    goIdle();
    return;
  }
  if (walkKind_ == WalkKind::Undo && link_.VerifyOK != 0 &&
      !std::equal(data.begin(), data.end(), k.bytes.begin())) {
    // Bytes that the verification rules pass over (the filler) differ from the journal's.
    link_.VerifyOK = 0;
    const std::string text =
        Format(Texts::kUndoBlockDiffers, {std::to_string(block)}) + "\n" + kVerifyQuestion;
    if (host_.messageBox(text, kVerifyCaption, Buttons::YesNo, Icon::Exclamation,
                         MessageKind::VerifyDifference) != Answer::Yes) {
      goIdle();
    }
  }
}

void TransferEngine::changesAcknowledged() {
  ++report_.written;
  writtenIndexes_.push_back(walkIndex_);
}

TransferEngine::ChangesCount TransferEngine::changesCount() const {
  if (phase_ == ChangesPhase::ReadBack)
    return {true, std::min<std::uint64_t>(readBackIndex_, writtenIndexes_.size()), writtenIndexes_.size()};
  return {false, std::min<std::uint64_t>(walkIndex_, walkBlocks_.size()), walkBlocks_.size()};
}

void TransferEngine::loopChanges() {
  if (phase_ == ChangesPhase::ReadBack) {
    if (readBackIndex_ < writtenIndexes_.size()) ++readBackIndex_;
  } else {
    ++walkIndex_;
  }
  const std::size_t total = walkBlocks_.size() + writtenIndexes_.size();
  const std::size_t done = walkIndex_ + readBackIndex_;
  link_.PBpos = total != 0 ? static_cast<int>(std::min<std::size_t>(done, total) * 100U / total) : 100;
  if (walkIndex_ >= walkBlocks_.size() && readBackIndex_ >= writtenIndexes_.size()) {
    link_.status = _idle_;
    link_.wszystko = 0;
    report_.finished = true;
    report_.readBackOk = link_.VerifyOK != 0;
    host_.enableMenuEntry(kEntryStop, false);
    host_.repaint();
    host_.setProgress(link_.PBpos);
    if (changesEnded) changesEnded(report_);
    return;
  }
  enterChangesBlock();
  link_.status = _init_;
  host_.repaint();
  host_.setProgress(link_.PBpos);
}

void TransferEngine::stepFile() {
  // The file step runs with the link idle: its dialogs may show the state, and a box about a file
  // does not leave the action's text in the status bar.
  link_.status = _idle_;
  const FileStepEnd end = fileStep ? fileStep(link_) : FileStepEnd::Cancelled;
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
