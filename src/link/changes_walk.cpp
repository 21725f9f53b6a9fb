#include "link/changes_walk.h"

#include <algorithm>

#include "link/verification.h"

namespace kavira {

ChangesWalk::ChangesWalk(const ControllerImage& image, ChangesRequest request, WriteAheadHook hook)
    : image_(image), hook_(std::move(hook)) {
  report_.kind = request.kind;
  if (request.kind == WalkKind::Changes) {
    for (std::uint32_t b = 2 * request.from; b <= 2 * request.to + 1 && b < kBlockCount; ++b)
      blocks_.push_back({b, {}});
  } else {
    blocks_ = std::move(request.known);
    // Blocks outside the memory are no part of any walk.
    std::erase_if(blocks_, [](const KnownBlock& k) { return k.block >= kBlockCount; });
  }
  if (request.kind == WalkKind::Undo || request.kind == WalkKind::Since) {
    auto known = std::make_unique<ControllerImage>();
    for (const KnownBlock& k : blocks_)
      DecodeBlock(*known, k.block, k.bytes);
    (request.kind == WalkKind::Undo ? undoImage_ : copyImage_) = std::move(known);
  }
  if (request.kind == WalkKind::Since) probed_.resize(blocks_.size());
  enterBlock();
}

std::size_t ChangesWalk::writing() const {
  return report_.kind == WalkKind::Since ? toWrite_[writeIndex_] : index_;
}

void ChangesWalk::enterBlock() {
  journaled_ = false;
  const bool readingBack = phase_ == Phase::ReadBack || readBack_ > 0;
  if (!readingBack && index_ < blocks_.size()) {
    phase_ = Phase::Compare;
  } else if (!readingBack && writeIndex_ < toWrite_.size()) {
    // Since: every block has been read; the writes follow one after the other.
    phase_ = Phase::Write;
    previous_ = probed_[toWrite_[writeIndex_]];
  } else {
    phase_ = Phase::ReadBack;
  }
}

std::uint32_t ChangesWalk::block() const {
  if (phase_ == Phase::Compare) return blocks_[index_].block;
  if (phase_ == Phase::Write) return blocks_[writing()].block;
  if (readBack_ < written_.size()) return blocks_[written_[readBack_]].block;
  return blocks_.empty() ? 0 : blocks_.back().block;
}

AreaWalk::Frame ChangesWalk::frame() {
  if (phase_ == Phase::ReadBack && readBack_ >= written_.size()) return {};
  Frame f;
  f.block = block();
  if (phase_ != Phase::Write) {
    f.kind = Frame::Read;
    return f;
  }
  if (!journaled_) {
    // The write-ahead rule: the previous content is kept before the write frame goes.
    f.failure = hook_ ? hook_(f.block, previous_) : Message();
    if (!f.failure.empty()) {
      f.kind = Frame::Failed;
      return f;
    }
    journaled_ = true;
  }
  f.kind = Frame::Write;
  f.bytes = report_.kind == WalkKind::Undo ? blocks_[index_].bytes : EncodeBlock(image_, f.block);
  return f;
}

void ChangesWalk::acknowledged() {
  ++report_.written;
  written_.push_back(writing());
}

AreaWalk::Reply ChangesWalk::probed(ByteView data, Host& host) {
  const KnownBlock& k = blocks_[index_];
  std::copy_n(data.begin(), kBlockBytes, probed_[index_].begin());
  if (!BlockDiffers(image_, k.block, data, Comparison::Travelling)) {
    ++report_.equal;
  } else if (!BlockDiffers(*copyImage_, k.block, data, Comparison::Travelling)) {
    toWrite_.push_back(index_);
  } else {
    conflicts_.push_back(index_);
    ++report_.conflicts;
  }
  if (index_ + 1 == blocks_.size() && !conflicts_.empty() && !resolveConflicts(host)) return Reply::Stop;
  return Reply::Next;
}

bool ChangesWalk::resolveConflicts(Host& host) {
  Message text = Message(Texts::kConflicts, {std::to_string(conflicts_.size())});
  for (const std::size_t i : conflicts_) {
    for (const Message& line : ConflictLines(image_, *copyImage_, blocks_[i].block, probed_[i]))
      text += Message::Text("\n") + line;
  }
  text += Message::Text("\n") + Texts::kConflictChoice;
  switch (host.messageBox(text, Texts::kCaptionConflict, Buttons::OverwriteSkipCancel, Icon::Exclamation,
                          MessageKind::Conflict)) {
    case Answer::Overwrite:
      toWrite_.insert(toWrite_.end(), conflicts_.begin(), conflicts_.end());
      std::ranges::sort(toWrite_);
      return true;
    case Answer::Skip:
      report_.skipped = static_cast<std::uint32_t>(conflicts_.size());
      return true;
    default:
      return false;
  }
}

AreaWalk::Reply ChangesWalk::received(ByteView data, Host& host, int& VerifyOK) {
  const bool undo = report_.kind == WalkKind::Undo;
  if (phase_ == Phase::Compare && report_.kind == WalkKind::Since) return probed(data, host);
  if (phase_ == Phase::Compare) {
    const KnownBlock& k = blocks_[index_];
    // Only what a write frame carries counts: bits the image keeps beyond it would differ for ever.
    const bool differs = undo ? !std::equal(data.begin(), data.end(), k.bytes.begin())
                              : BlockDiffers(image_, k.block, data, Comparison::Travelling);
    if (!differs) {
      ++report_.equal;
      return Reply::Next;
    }
    std::copy_n(data.begin(), kBlockBytes, previous_.begin());
    // The same block is written next, at once (the line is quiet: its answer has just arrived).
    phase_ = Phase::Write;
    return Reply::Again;
  }
  const KnownBlock& k = blocks_[written_[readBack_]];
  const ControllerImage& wanted = undo ? *undoImage_ : image_;
  if (VerifyBlock(wanted, k.block, data, host, VerifyOK, Comparison::Travelling) == BlockVerdict::Stop)
    return Reply::Stop;
  if (undo && VerifyOK != 0 && !std::equal(data.begin(), data.end(), k.bytes.begin())) {
    // Bytes that the verification rules pass over (the filler) differ from the journal's.
    VerifyOK = 0;
    const Message text = Message::Lines(
        {Message(Texts::kUndoBlockDiffers, {std::to_string(k.block)}), Texts::kVerifyQuestion});
    if (host.messageBox(text, Texts::kCaptionFailure, Buttons::YesNo, Icon::Exclamation,
                        MessageKind::VerifyDifference) != Answer::Yes)
      return Reply::Stop;
  }
  return Reply::Next;
}

bool ChangesWalk::advance() {
  if (phase_ == Phase::ReadBack) {
    if (readBack_ < written_.size()) ++readBack_;
  } else if (phase_ == Phase::Write && report_.kind == WalkKind::Since) {
    ++writeIndex_;
  } else {
    ++index_;
  }
  if (index_ >= blocks_.size() && writeIndex_ >= toWrite_.size() && readBack_ >= written_.size())
    return false;
  enterBlock();
  return true;
}

void ChangesWalk::finish(bool readBackOk) {
  report_.finished = true;
  report_.readBackOk = readBackOk;
}

int ChangesWalk::progress() const {
  const std::size_t total = blocks_.size() + toWrite_.size() + written_.size();
  const std::size_t done = index_ + writeIndex_ + readBack_;
  return total != 0 ? static_cast<int>(std::min(done, total) * 100U / total) : 100;
}

WalkCount ChangesWalk::count() const {
  if (phase_ == Phase::ReadBack)
    return {true, std::min<std::uint64_t>(readBack_, written_.size()), written_.size()};
  if (phase_ == Phase::Write && report_.kind == WalkKind::Since)
    return {false, std::min<std::uint64_t>(writeIndex_, toWrite_.size()), toWrite_.size()};
  return {false, std::min<std::uint64_t>(index_, blocks_.size()), blocks_.size()};
}

}  // namespace kavira
