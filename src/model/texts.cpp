#include "model/texts.h"

#include <array>

namespace kavira {

std::span<const char* const> AllTexts() {
  static constexpr std::array kAll{
      Texts::kCaptionFailure,
      Texts::kCaptionWarning,
      Texts::kCaptionProblem,
      Texts::kCaptionNoController,
      Texts::kCaptionNoSerialPorts,
      Texts::kCaptionSuccess,
      Texts::kCaptionDoubtfulSuccess,
      Texts::kCaptionSure,
      Texts::kCaptionDowngrade,
      Texts::kCaptionDifferent,
      Texts::kAreaScenes,
      Texts::kAreaSettings,
      Texts::kAreaMidi,
      Texts::kAreaVersion,
      Texts::kAreaFirmware,
      Texts::kNotApplicable,
      Texts::kActionWrite,
      Texts::kActionRead,
      Texts::kActionVerify,
      Texts::kActionFileRead,
      Texts::kActionFileSave,
      Texts::kReady,
      Texts::kFile,
      Texts::kEditing,
      Texts::kPreparing,
      Texts::kUpdating,
      Texts::kNoPort,
      Texts::kNoSerialPorts,
      Texts::kNoController,
      Texts::kPortOpenFailed,
      Texts::kPortConfigFailed,
      Texts::kSystemError,
      Texts::kProgramError,
      Texts::kLinkFailure,
      Texts::kNoData,
      Texts::kChecksum,
      Texts::kReturnAddress,
      Texts::kProtocol,
      Texts::kNoPermission,
      Texts::kBusyExclusive,
      Texts::kBusyLockFile,
      Texts::kBusyProcess,
      Texts::kIsNotAPort,
      Texts::kNoDeviceHere,
      Texts::kLocalDevice,
      Texts::kKindNotAPort,
      Texts::kKindFolder,
      Texts::kKindFile,
      Texts::kKindFifo,
      Texts::kKindSocket,
      Texts::kKindBlockDevice,
      Texts::kKindOther,
      Texts::kVerifyQuestion,
      Texts::kSceneDiffers,
      Texts::kMidiDiffers,
      Texts::kPgmEndsDiffer,
      Texts::kPgmSpeedDiffers,
      Texts::kPgmFadeDiffers,
      Texts::kExtraModeDiffers,
      Texts::kSlowModeDiffers,
      Texts::kStrobDiffers,
      Texts::kFogDiffers,
      Texts::kExtraSceneDiffers,
      Texts::kShowDiffers,
      Texts::kFirmwareLineDiffers,
      Texts::kVerifySucceeded,
      Texts::kVerifyWarned,
      Texts::kChangesWalk,
      Texts::kUndoWalk,
      Texts::kChangesDone,
      Texts::kChangesWarned,
      Texts::kUndoDone,
      Texts::kUndoWarned,
      Texts::kChangesStopped,
      Texts::kUndoStopped,
      Texts::kBlocksWritten,
      Texts::kBlocksEqual,
      Texts::kUndoJournal,
      Texts::kNoJournalKept,
      Texts::kJournalNotCreated,
      Texts::kJournalWriteFailed,
      Texts::kNoJournal,
      Texts::kBadJournal,
      Texts::kUndoQuestion,
      Texts::kUndoBlockDiffers,
      Texts::kCaptionQuestion,
      Texts::kChooseJournal,
      Texts::kChooseDataFile,
      Texts::kChooseSaveFile,
      Texts::kChooseUpdateFile,
      Texts::kFilterScenes,
      Texts::kFilterSettings,
      Texts::kFilterMidi,
      Texts::kFilterUpdates,
      Texts::kFilterAll,
      Texts::kBadArea,
      Texts::kBadAction,
      Texts::kFileMissing,
      Texts::kOpenFailed,
      Texts::kReadFailed,
      Texts::kNotWritable,
      Texts::kWriteFailed,
      Texts::kNewDataIn,
      Texts::kUnchanged,
      Texts::kNoneReplaced,
      Texts::kBadContent,
      Texts::kUnexpectedEnd,
      Texts::kBadLength,
      Texts::kNoMemory,
      Texts::kFileReadFailed,
      Texts::kBadChecksum,
      Texts::kAskInstall,
      Texts::kAskDowngrade,
      Texts::kOtherVersion,
  };
  return kAll;
}

std::string Format(std::string_view templ, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(templ.size());
  for (std::size_t i = 0; i < templ.size(); ++i) {
    const char c = templ[i];
    if (c == '%' && i + 1 < templ.size() && templ[i + 1] >= '1' && templ[i + 1] <= '9') {
      const auto n = static_cast<std::size_t>(templ[i + 1] - '1');
      if (n < args.size()) {
        out += *(args.begin() + n);
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace kavira
