// The changes walks: they write only the blocks whose content must change, each one right after its
// previous content has been handed to a write-ahead hook, and read back what they wrote.
//   Changes: reads every block of the area and writes those that differ from the image (by the
//            verification rules, over what a write frame carries);
//   Since:   the three-way write: the listed blocks come with what the controller held when it was
//            last seen (the copy). Each is read first; one the controller still holds as the copy
//            says is written from the image, one it already holds as the image says is left alone,
//            and any other is a conflict: it changed in the controller meanwhile. Every conflict is
//            named in one box before anything is written: overwrite them too, skip them, or cancel;
//   Undo:    reads the listed blocks and writes back, byte for byte, those that differ from the bytes
//            given.
//
// A walk plugs into the transfer engine as an AreaWalk: the engine sends its frames, judges each
// answer by the line's rules and offers the retries; the walk chooses the blocks, compares, and keeps
// its count.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/frames.h"
#include "link/host.h"
#include "model/controller_image.h"

namespace kavira {

// The kind of block walk: the original walks (Blocks) read, write or verify every block of an area;
// the others are the changes walks above.
enum class WalkKind { Blocks, Changes, Since, Undo };

// The name of a changes walk, which the status bar and the progress line show for the whole run (its
// reads and read-back included); nullptr for the original walks, which their action names.
constexpr const char* WalkText(WalkKind kind) {
  switch (kind) {
    case WalkKind::Blocks:
      break;
    case WalkKind::Changes:
    case WalkKind::Since:
      return Texts::kChangesWalk;
    case WalkKind::Undo:
      return Texts::kUndoWalk;
  }
  return nullptr;
}

// A block with 128 data bytes: what the controller is known to hold (Since), or what it must hold
// again (Undo).
struct KnownBlock {
  std::uint32_t block = 0;
  BlockData bytes{};
};

// What a changes walk is asked to do: its kind, the units of its area (scene 0-1021, 1022 the
// settings, 1023 the MIDI assignments; `all` for "&Wszystko"), and for Since and Undo its blocks.
struct ChangesRequest {
  WalkKind kind = WalkKind::Changes;
  std::uint32_t from = 0;
  std::uint32_t to = 0;
  bool all = false;
  std::vector<KnownBlock> known;
};

// What a changes walk did.
struct ChangesReport {
  WalkKind kind = WalkKind::Changes;
  std::uint32_t written = 0;    // blocks written and acknowledged
  std::uint32_t equal = 0;      // blocks the controller already held, left alone
  std::uint32_t conflicts = 0;  // Since: blocks changed in the controller since the copy
  std::uint32_t skipped = 0;    // Since: of those, left alone as the user chose
  bool finished = false;        // walked to the end, read back included
  bool readBackOk = false;      // every block written read back as it should (when finished)
};

// The write-ahead hook: called with a block's previous 128 bytes before its write frame is sent
// (once per block, not again for a retry). A non-empty text means the bytes could not be kept: the
// block is not written, and the run ends with that text in a box.
using WriteAheadHook = std::function<Message(std::uint32_t block, ByteView previous)>;

// How far a walk has come in its present pass: blocks compared out of the blocks to walk (with Since,
// read, then written), then blocks read back out of those written.
struct WalkCount {
  bool readingBack = false;
  std::uint64_t done = 0;
  std::uint64_t total = 0;
};

// A walk the engine runs frame by frame over the area blocks, in place of its own block walk.
class AreaWalk {
 public:
  virtual ~AreaWalk() = default;

  // The next frame: a block to read or to write, the end of the walk, or a failure that ends the run
  // before the frame goes. Asked again for the same block when its frame is retried.
  struct Frame {
    enum Kind { Read, Write, End, Failed } kind = End;
    std::uint32_t block = 0;
    BlockData bytes{};  // Write: the data bytes
    Message failure;    // Failed: the box text
  };
  virtual Frame frame() = 0;
  // The write frame was acknowledged.
  virtual void acknowledged() = 0;
  // The data bytes of a read's reply. Next: go on with advance(); Again: the next frame goes at once,
  // for the same block; Stop: the user ended the run in a difference box.
  enum class Reply { Next, Again, Stop };
  virtual Reply received(ByteView data, Host& host, int& VerifyOK) = 0;
  // Moves to the next block; false when the walk is over.
  virtual bool advance() = 0;
  // The walk reached its end; `readBackOk` when everything written read back as it should.
  virtual void finish(bool readBackOk) = 0;

  // The block of the present step, the progress (0-100), and what the walk did.
  virtual std::uint32_t block() const = 0;
  virtual int progress() const = 0;
  virtual WalkCount count() const = 0;
  virtual const ChangesReport& report() const = 0;
};

class ChangesWalk final : public AreaWalk {
 public:
  // `image` is what the Changes and Since walks write; `hook` keeps what each write overwrites.
  ChangesWalk(const ControllerImage& image, ChangesRequest request, WriteAheadHook hook);

  Frame frame() override;
  void acknowledged() override;
  Reply received(ByteView data, Host& host, int& VerifyOK) override;
  bool advance() override;
  void finish(bool readBackOk) override;
  std::uint32_t block() const override;
  int progress() const override;
  WalkCount count() const override;
  const ChangesReport& report() const override { return report_; }

 private:
  enum class Phase { Compare, Write, ReadBack };
  void enterBlock();
  // Since: the block just read, against the copy and the image; after the last one, the conflicts.
  Reply probed(ByteView data, Host& host);
  bool resolveConflicts(Host& host);
  std::size_t writing() const;  // into blocks_: the block of the present step

  const ControllerImage& image_;
  WriteAheadHook hook_;
  std::vector<KnownBlock> blocks_;              // Changes: the area's blocks (bytes unused)
  std::unique_ptr<ControllerImage> undoImage_;  // Undo: the bytes to restore, for the verify texts
  std::unique_ptr<ControllerImage> copyImage_;  // Since: the copy, for the comparisons and texts
  std::vector<BlockData> probed_;               // Since: each block as the controller returned it
  std::vector<std::size_t> toWrite_;            // Since: into blocks_, the blocks to write
  std::vector<std::size_t> conflicts_;          // Since: into blocks_, the conflicts
  std::size_t writeIndex_ = 0;                  // Since: into toWrite_
  Phase phase_ = Phase::Compare;
  std::size_t index_ = 0;             // into blocks_
  std::vector<std::size_t> written_;  // into blocks_, in the order written
  std::size_t readBack_ = 0;          // into written_
  bool journaled_ = false;            // the hook has the current block's previous bytes
  BlockData previous_{};              // the current block as the controller returned it
  ChangesReport report_;
};

}  // namespace kavira
