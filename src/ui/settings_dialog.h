// The settings dialog: the special keys STROBE, FOG and EXTRA, the collections of the three areas, the
// end scene, running mode, speed and fade of every program, and the slow mode. It edits copies and
// stores them into the image on "Zatwierdź", all together and only when every field passes.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>

#include "link/host.h"
#include "model/controller_image.h"
#include "model/running_mode.h"
#include "model/special_keys.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace kavira {
class StepScrollBar;
}

namespace Ui {
class SettingsDialog;
}

namespace kavira {

class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kProgramRows = 6;
  static constexpr int kCollectionRows = 4;
  // The first row of the last page: programs 43-48, collections 13-16.
  static constexpr int kLastFirstProgram = static_cast<int>(kProgramCount) - kProgramRows;
  static constexpr int kLastFirstCollection = static_cast<int>(kCollectionCount) - kCollectionRows;

  SettingsDialog(ControllerImage& image, Host& host, QWidget* parent = nullptr);
  ~SettingsDialog() override;

  int pocz() const { return pocz_; }  // index of the first program row shown
  int nrp() const { return nrp_; }    // index of the first collection row shown

  // "Zatwierdź": checks everything, then stores everything and ends with 1; false (nothing stored,
  // the dialog stays open) when a check failed or the user kept invalid collection entries.
  bool commit();

 private:
  // The controls of a row carry object names: "strobeSwitch", "strobeProgram", "strobeScene" and
  // "strobeMode" (and "fog...", "extra..."); "collectionRow<k>Number" and "collectionRow<k>Area<1-3>";
  // "programRow<k>Number", "...End", "...ModeA" to "...ModeM", "...Speed" and "...Fade".
  struct KeyRow {
    QCheckBox* on = nullptr;  // the key has a scene
    QLineEdit* program = nullptr;
    QLineEdit* scene = nullptr;
    QCheckBox* strobe = nullptr;  // the key's "strobe" mode
  };
  struct CollectionRow {
    QLineEdit* number = nullptr;       // collection 1-16 (read-only)
    std::array<QLineEdit*, 3> area{};  // program for areas 1-3, empty for none
  };
  struct ProgramRow {
    QLineEdit* number = nullptr;  // program 1-48 (read-only)
    QLineEdit* end = nullptr;
    std::array<QRadioButton*, 4> mode{};  // "A", "R", "B", "M", in the order of RunningMode
    QLineEdit* speed = nullptr;
    QLineEdit* fade = nullptr;
  };

  const KeyRow& keyRow(SpecialKey key) const { return keys_.at(static_cast<std::size_t>(key)); }

  void buildKeyRows();
  void buildCollectionRows();
  void buildProgramRows();
  void setTabChain();
  void showKeys();
  void onKeySwitched(SpecialKey key, bool on);
  void showRows();
  bool readRows();
  bool readKeyScene(SpecialKey key, std::uint16_t& scene);
  void onScrollAction(StepScrollBar* bar, int action);

  ControllerImage& image_;
  Host& host_;
  std::unique_ptr<Ui::SettingsDialog> ui_;
  std::array<KeyRow, 3> keys_{};
  std::array<CollectionRow, kCollectionRows> collections_{};
  std::array<ProgramRow, kProgramRows> programs_{};
  std::array<std::uint8_t, kProgramCount> PgmEndsCp_{};
  std::array<std::uint8_t, kProgramCount> PgmSpeedCp_{};
  std::array<std::uint8_t, kProgramCount> PgmFadeCp_{};
  std::array<std::array<std::uint8_t, kCollectionCount>, kAreaCount> ShowsCp_{};
  int pocz_ = 0;
  int nrp_ = 0;
  bool reading_ = false;
};

}  // namespace kavira
