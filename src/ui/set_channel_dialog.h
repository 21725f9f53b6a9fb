// "Ustaw kanał": one channel of one device set to one level in a run of scenes of one program, all
// numbered as the user numbers them (from 1). OK checks every number; a wrong one is named under the
// fields, gets the focus with its text selected, and the dialog stays open.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;

namespace kavira {

class SetChannelDialog : public QDialog {
  Q_OBJECT

 public:
  struct Setting {
    unsigned device = 1;   // 1-16
    unsigned channel = 1;  // 1-16
    std::uint8_t level = 0;
    unsigned program = 1;    // 1-48
    unsigned sceneFrom = 1;  // 1 to the program's scene count
    unsigned sceneTo = 32;   // sceneFrom to the program's scene count
  };

  // The fields, by object name: "deviceField", "channelField", "levelField", "programField",
  // "sceneFromField", "sceneToField"; the buttons "okButton" and "cancelButton"; the complaint about
  // a wrong number stands in "errorLabel".
  explicit SetChannelDialog(const Setting& initial, QWidget* parent = nullptr);

  // OK: true when every number is right; the setting is then stored and the dialog accepted.
  bool confirm();
  // What OK stored (the initial setting before that).
  const Setting& setting() const { return setting_; }

 private:
  enum Field { kDevice, kChannel, kLevel, kProgram, kSceneFrom, kSceneTo, kFields };
  bool refuse(Field field, const QString& why);

  Setting setting_;
  std::array<QLineEdit*, kFields> fields_{};
  QLabel* error_ = nullptr;
};

}  // namespace kavira
