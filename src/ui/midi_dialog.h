// The MIDI assignment dialog: for each of the 128 MIDI keys the scene assigned to it, the areas in which
// the key triggers and the areas in which its scene is assigned. Six keys are shown at a time; the dialog
// edits a copy of the key table and stores it into the image on "Zatwierdź".
#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "link/host.h"
#include "model/controller_image.h"

class QCheckBox;
class QLineEdit;

namespace Ui {
class MidiDialog;
}

namespace kavira {

class MidiDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kRows = 6;
  static constexpr int kLastFirstKey = static_cast<int>(kMidiKeyCount) - kRows;  // keys 122-127
  static constexpr int kFirstShownKey = 60;  // the dialog opens at middle C

  MidiDialog(ControllerImage& image, Host& host, QWidget* parent = nullptr);
  ~MidiDialog() override;

  int pocz() const { return pocz_; }  // key shown in the first row
  const std::array<MidiStat, kMidiKeyCount>& MidiCp() const { return MidiCp_; }

  // "Zatwierdź": reads the shown rows back and, when they pass, stores the copy and ends with 1.
  bool commit();
  // "Wycofaj zmiany": the copy is taken from the image again, at the same keys.
  void revert();

 private:
  // Row k's controls carry the object names "row<k>Key", "row<k>Note", "row<k>Trigger<1-3>",
  // "row<k>Assign<1-3>", "row<k>Program" and "row<k>Scene".
  struct Row {
    QLineEdit* key = nullptr;             // key number (read-only)
    QLineEdit* note = nullptr;            // note name and octave (read-only)
    std::array<QCheckBox*, 3> trigger{};  // triggers in area 1, 2, 3
    std::array<QCheckBox*, 3> assign{};   // scene assigned in area 1, 2, 3
    QLineEdit* program = nullptr;         // program of the key's scene
    QLineEdit* scene = nullptr;           // scene within the program
  };

  void buildRows();
  void showRows();
  bool readRows();
  void onScrollAction(int action);

  ControllerImage& image_;
  Host& host_;
  std::unique_ptr<Ui::MidiDialog> ui_;
  std::array<Row, kRows> rows_{};
  std::array<MidiStat, kMidiKeyCount> MidiCp_{};
  int pocz_ = kFirstShownKey;
  bool reading_ = false;
};

// "C / -1" for key 0, "C / 4" for key 60, "G / 9" for key 127.
QString NoteName(int key);

}  // namespace kavira
