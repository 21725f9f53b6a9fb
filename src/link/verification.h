// Comparing what the controller holds with the image (blocks) or with the update (firmware lines).
// Every difference is shown at once with its place and both values; the user decides whether
// checking goes on.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/frames.h"
#include "link/host.h"
#include "model/controller_image.h"
#include "model/firmware_line.h"

namespace kavira {

enum class BlockVerdict { Continue, Stop };
enum class LineVerdict { Continue, Retry, Stop };

// How settings items compare. Whole: word against word, as the verify of the image always has.
// Travelling: only what a write frame carries (ExtraMode's low byte), so that a block written from
// the image reads back as equal; the changes walks compare so.
enum class Comparison { Whole, Travelling };

// Called with the box text of each difference (the closing question included); false stops.
using DifferenceVisitor = std::function<bool(const Message& text)>;

// One place of block 0-2047 where the controller (or another image in its place) and the image differ:
// the title of the verify text and both values as that text shows them (scenes of the special keys
// and collection entries counted from 1, MIDI words in lower-case hexadecimal).
struct DifferencePlace {
  std::uint32_t block = 0;
  std::size_t at = 0;  // the place's first data byte in the block
  Message title;       // "Błąd weryfikacji : scena 4 kanał 131", "... końca programu : program 1"
  std::string image;
  std::string controller;
};
using PlaceVisitor = std::function<bool(const DifferencePlace&)>;

// The comparison rules of a block: the 128 data bytes of block 0-2047 as the controller returned them
// against the image. Scene channels and MIDI words compare whole; settings compare item by item (the
// filler bytes are ignored, the slow mode counts only as on or off). Each difference goes to `each`, in
// data order; false when `each` stopped the walk.
bool ForEachBlockDifference(const ControllerImage& image, std::uint32_t block, ByteView data,
                            const DifferenceVisitor& each, Comparison how = Comparison::Whole);
// The same walk as ForEachBlockDifference, with each place given apart instead of as a box text.
bool ForEachBlockPlace(const ControllerImage& image, std::uint32_t block, ByteView data,
                       const PlaceVisitor& each, Comparison how = Comparison::Whole);
// Every difference of blocks first-last (0-2043 scenes, 2044-2045 settings, 2046-2047 MIDI) between the
// image `pc` and `other` standing in the controller's place: what a write of `pc` would change on a
// controller holding `other`. In block order, and in data order within a block.
std::vector<DifferencePlace> ImageDifferences(const ControllerImage& pc, const ControllerImage& other,
                                              std::uint32_t first, std::uint32_t last,
                                              Comparison how = Comparison::Whole);
// The same places one by one, for a caller that keeps less of each (two images that differ in every
// scene differ in 261632 places); false when `each` stopped the walk.
bool ForEachImageDifference(const ControllerImage& pc, const ControllerImage& other, std::uint32_t first,
                            std::uint32_t last, const PlaceVisitor& each, Comparison how = Comparison::Whole);
// The conflict of a three-way write in block 0-2047, in the verify texts' words: each place where the
// controller now (`now`, its 128 data bytes) differs from what it held before (`before`), with the
// image's value, the controller's now and before. Compared as the changes walks compare.
std::vector<Message> ConflictLines(const ControllerImage& image, const ControllerImage& before,
                                   std::uint32_t block, ByteView now);
// Whether a verify would report any difference in the block.
bool BlockDiffers(const ControllerImage& image, std::uint32_t block, ByteView data,
                  Comparison how = Comparison::Whole);

// Compares the 128 data bytes of block 0-2047 with the image. VerifyOK drops to 0 at the first
// difference. Stop means the user answered No.
BlockVerdict VerifyBlock(const ControllerImage& image, std::uint32_t block, ByteView data, Host& host,
                         int& VerifyOK, Comparison how = Comparison::Whole);

// Compares the code bytes of firmware line `upgline` with a reply's data bytes.
LineVerdict VerifyLine(const pgmline_& line, std::uint32_t upgline, ByteView data, Host& host, int& VerifyOK);

// The box that ends a verify run.
void ShowVerifyOutcome(Host& host, int VerifyOK);

}  // namespace kavira
