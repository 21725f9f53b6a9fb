#include "link/verification.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "link/block_layout.h"
#include "model/hex_text.h"
#include "model/little_endian.h"

namespace kavira {
namespace {

std::string Dec(long long v) {
  return std::to_string(v);
}

// MIDI words in the messages: lower case, as short as the number.
std::string Hex(unsigned v) {
  return HexText(v, 0, HexCase::Lower);
}

Message Question() {
  return Message::Text(" )\n") + Texts::kVerifyQuestion;
}

// A place of a block and how its verify text puts the two values.
struct Place {
  enum class Form {
    ImageFirst,       // scene channels and MIDI words: "( image <> controller )"
    ControllerFirst,  // settings items: "( controller <> image )"
    Collection,       // collection entries: "controller <> image" on a line of its own
  };
  DifferencePlace where;
  Form form = Form::ControllerFirst;
};
using FormedPlaceVisitor = std::function<bool(const Place&)>;

Message VerifyText(const Place& formed) {
  const DifferencePlace& p = formed.where;
  switch (formed.form) {
    case Place::Form::ImageFirst:
      return p.title + Message::Text("\n ( " + p.image + " <> " + p.controller) + Question();
    case Place::Form::ControllerFirst:
      break;
    case Place::Form::Collection:
      return p.title + Message::Text("\n\t" + p.controller + " <> " + p.image + " \n") +
             Texts::kVerifyQuestion;
  }
  return p.title + Message::Text("\n ( " + p.controller + " <> " + p.image) + Question();
}

const char* SettingsTitle(ImageItem item) {
  switch (item) {
    case ImageItem::PgmEnds:
      return Texts::kPgmEndsDiffer;
    case ImageItem::PgmSpeed:
      return Texts::kPgmSpeedDiffers;
    case ImageItem::PgmFade:
      return Texts::kPgmFadeDiffers;
    case ImageItem::ExtraMode:
      return Texts::kExtraModeDiffers;
    case ImageItem::SlowMode:
      return Texts::kSlowModeDiffers;
    case ImageItem::StrobScene:
      return Texts::kStrobDiffers;
    case ImageItem::FogScene:
      return Texts::kFogDiffers;
    case ImageItem::ExtraScene:
      return Texts::kExtraSceneDiffers;
    case ImageItem::Shows:
      return Texts::kShowDiffers;
    case ImageItem::Filler:
    case ImageItem::Sceny:
    case ImageItem::Midi:
      break;
  }
  return "";
}

// A one-value item's values as the texts show them, the controller's first: scenes counted from 1,
// the slow mode only as on (1) or off (0). Nothing when they agree.
std::optional<std::pair<std::string, std::string>> ValueDifference(const ControllerImage& image,
                                                                   ImageItem item, const std::uint8_t* in,
                                                                   Comparison how) {
  if (item == ImageItem::ExtraMode) {
    const unsigned have = how == Comparison::Travelling ? image.ExtraMode & 0xFFU : image.ExtraMode;
    if (have == in[0]) return std::nullopt;
    return std::pair{Dec(in[0]), Dec(have)};
  }
  if (item == ImageItem::SlowMode) {
    const bool got = in[0] != 0;
    const bool have = image.SlowMode != 0;
    if (got == have) return std::nullopt;
    return std::pair{std::string(got ? "1" : "0"), std::string(have ? "1" : "0")};
  }
  // A special key's scene: a word, low byte first.
  const long got = Le16(in);
  const long have = ItemWord(image, item);
  if (got == have) return std::nullopt;
  return std::pair{Dec(got + 1), Dec(have + 1)};
}

// The collections of the three areas, each entry a program counted from 1; the title names the
// collection and the area.
bool ShowsDifferences(const ControllerImage& image, const SettingsField& f, const std::uint8_t* in,
                      const char* title, const FormedPlaceVisitor& each) {
  for (std::size_t i = 0; i < f.length; ++i) {
    const std::uint8_t have = ItemByte(image, f.item, f.first + i);
    if (have == in[i]) continue;
    const Message where = Message(title, {Dec(static_cast<long>(i % kCollectionCount) + 1),
                                          Dec(static_cast<long>(i / kCollectionCount) + 1)});
    if (!each({{f.block, f.index + i, where, Dec(have + 1), Dec(in[i] + 1)}, Place::Form::Collection}))
      return false;
  }
  return true;
}

// A byte per program (end scene, speed, fade); the title names the program, counted from 1.
bool ProgramDifferences(const ControllerImage& image, const SettingsField& f, const std::uint8_t* in,
                        const char* title, const FormedPlaceVisitor& each) {
  for (std::size_t i = 0; i < f.length; ++i) {
    const std::size_t p = f.first + i;
    const std::uint8_t have = ItemByte(image, f.item, p);
    if (have == in[i]) continue;
    if (!each({{f.block, f.index + i, Message(title, {Dec(static_cast<long>(p) + 1)}), Dec(have), Dec(in[i])},
               Place::Form::ControllerFirst}))
      return false;
  }
  return true;
}

// The differences of one settings item, whose bytes in the block start at `in`.
bool FieldDifferences(const ControllerImage& image, const SettingsField& f, const std::uint8_t* in,
                      const FormedPlaceVisitor& each, Comparison how) {
  const char* title = SettingsTitle(f.item);
  switch (f.item) {
    case ImageItem::Filler:
      return true;
    case ImageItem::ExtraMode:
    case ImageItem::SlowMode:
    case ImageItem::StrobScene:
    case ImageItem::FogScene:
    case ImageItem::ExtraScene: {
      const auto values = ValueDifference(image, f.item, in, how);
      return !values || each({{f.block, f.index, Message(title), values->second, values->first},
                              Place::Form::ControllerFirst});
    }
    case ImageItem::Shows:
      return ShowsDifferences(image, f, in, title, each);
    default:  // per-program bytes
      return ProgramDifferences(image, f, in, title, each);
  }
}

bool SettingsDifferences(const ControllerImage& image, std::uint32_t block, ByteView data,
                         const FormedPlaceVisitor& each, Comparison how) {
  return std::ranges::all_of(kSettingsLayout, [&](const SettingsField& f) {
    return f.block != block || FieldDifferences(image, f, data.data() + f.index, each, how);
  });
}

// Each place of the block where `data` differs from the image, in data order; false when `each`
// stopped the walk.
bool ForEachPlace(const ControllerImage& image, std::uint32_t block, ByteView data,
                  const FormedPlaceVisitor& each, Comparison how) {
  if (data.size() < kBlockBytes || block >= kBlockCount) return true;
  if (block < kFirstSettingsBlock) {
    const Scene& scene = image.Sceny.at(block / 2);
    const std::size_t half = (block % 2) * kBlockBytes;
    for (std::size_t i = 0; i < kBlockBytes; ++i) {
      const std::uint8_t have = scene[half + i];
      if (have == data[i]) continue;
      const Message where =
          Message(Texts::kSceneDiffers, {Dec(block / 2 + 1), Dec(static_cast<long>(half + i) + 1)});
      if (!each({{block, i, where, Dec(have), Dec(data[i])}, Place::Form::ImageFirst})) return false;
    }
    return true;
  }
  if (block < kFirstMidiBlock) return SettingsDifferences(image, block, data, each, how);
  const std::size_t first = (block - kFirstMidiBlock) * (kBlockBytes / 2);
  for (std::size_t j = 0; j < kBlockBytes / 2; ++j) {
    const unsigned have = image.Midi.at(first + j).word;
    const unsigned got = Le16(data.data() + 2 * j);
    if (have == got) continue;
    const Message where = Message(Texts::kMidiDiffers, {Dec(static_cast<long>(first + j))});
    if (!each({{block, 2 * j, where, Hex(have), Hex(got)}, Place::Form::ImageFirst})) return false;
  }
  return true;
}

}  // namespace

bool ForEachBlockDifference(const ControllerImage& image, std::uint32_t block, ByteView data,
                            const DifferenceVisitor& each, Comparison how) {
  return ForEachPlace(
      image, block, data, [&](const Place& p) { return each(VerifyText(p)); }, how);
}

bool ForEachBlockPlace(const ControllerImage& image, std::uint32_t block, ByteView data,
                       const PlaceVisitor& each, Comparison how) {
  return ForEachPlace(
      image, block, data, [&](const Place& p) { return each(p.where); }, how);
}

bool ForEachImageDifference(const ControllerImage& pc, const ControllerImage& other, std::uint32_t first,
                            std::uint32_t last, const PlaceVisitor& each, Comparison how) {
  for (std::uint32_t block = first; block <= last && block < kBlockCount; ++block) {
    if (!ForEachBlockPlace(pc, block, EncodeBlock(other, block), each, how)) return false;
  }
  return true;
}

std::vector<DifferencePlace> ImageDifferences(const ControllerImage& pc, const ControllerImage& other,
                                              std::uint32_t first, std::uint32_t last, Comparison how) {
  std::vector<DifferencePlace> places;
  ForEachImageDifference(
      pc, other, first, last,
      [&](const DifferencePlace& p) {
        places.push_back(p);
        return true;
      },
      how);
  return places;
}

std::vector<Message> ConflictLines(const ControllerImage& image, const ControllerImage& before,
                                   std::uint32_t block, ByteView now) {
  // Where the image differs from the controller now, the image's value; elsewhere it is now's.
  std::map<std::size_t, std::string> imageValues;
  ForEachPlace(
      image, block, now,
      [&](const Place& p) {
        imageValues[p.where.at] = p.where.image;
        return true;
      },
      Comparison::Travelling);
  std::vector<Message> lines;
  ForEachPlace(
      before, block, now,
      [&](const Place& formed) {
        const DifferencePlace& p = formed.where;
        const auto it = imageValues.find(p.at);
        lines.push_back(
            Message(Texts::kConflictValues,
                    {p.title, it != imageValues.end() ? it->second : p.controller, p.controller, p.image}));
        return true;
      },
      Comparison::Travelling);
  if (lines.empty()) lines.push_back(Message(Texts::kConflictBlock, {std::to_string(block)}));
  return lines;
}

bool BlockDiffers(const ControllerImage& image, std::uint32_t block, ByteView data, Comparison how) {
  return !ForEachBlockDifference(
      image, block, data, [](const Message&) { return false; }, how);
}

BlockVerdict VerifyBlock(const ControllerImage& image, std::uint32_t block, ByteView data, Host& host,
                         int& VerifyOK, Comparison how) {
  const bool goOn = ForEachBlockDifference(
      image, block, data,
      [&](const Message& text) {
        VerifyOK = 0;
        return host.messageBox(text, Texts::kCaptionFailure, Buttons::YesNo, Icon::Exclamation,
                               MessageKind::VerifyDifference) == Answer::Yes;
      },
      how);
  return goOn ? BlockVerdict::Continue : BlockVerdict::Stop;
}

LineVerdict VerifyLine(const pgmline_& line, std::uint32_t upgline, ByteView data, Host& host,
                       int& VerifyOK) {
  const auto n = std::min<std::size_t>({line.cnt, kFirmwareLineMax, data.size()});
  for (std::size_t k = 0; k < n; ++k) {
    if (line.code[k] == data[k]) continue;
    VerifyOK = 0;
    const Message text =
        Message::Lines({Message(Texts::kFirmwareLineDiffers, {Dec(upgline)}), Texts::kVerifyQuestion, {}});
    switch (host.messageBox(text, Texts::kCaptionFailure, Buttons::AbortRetryIgnore, Icon::Exclamation,
                            MessageKind::FirmwareDiffers)) {
      case Answer::Ignore:
        continue;
      case Answer::Retry:
        return LineVerdict::Retry;
      default:
        return LineVerdict::Stop;
    }
  }
  return LineVerdict::Continue;
}

void ShowVerifyOutcome(Host& host, int VerifyOK) {
  if (VerifyOK != 0) {
    host.messageBox(Texts::kVerifySucceeded, Texts::kCaptionSuccess, Buttons::Ok, Icon::Information,
                    MessageKind::VerifyOutcome);
  } else {
    host.messageBox(Texts::kVerifyWarned, Texts::kCaptionDoubtfulSuccess, Buttons::Ok, Icon::Information,
                    MessageKind::VerifyOutcome);
  }
}

}  // namespace kavira
