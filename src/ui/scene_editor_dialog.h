// The scene editor: the 16 channel levels of one device of one scene on sliders, together with the
// program's fade, running mode and end scene. "Ładuj" copies them out of the controller image into a
// working copy, "Zatwierdź" writes the working copy into one or several devices of a scene and into the
// program's parameters. The main window runs it modally, also while a transfer is under way.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "link/host.h"
#include "model/controller_image.h"
#include "model/running_mode.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace Ui {
class SceneEditorDialog;
}

namespace kavira {

class SceneEditorDialog : public QDialog {
  Q_OBJECT

 public:
  // The sliders: channels 1-16 at 0-15, then the fade ("XF") and the speed ("SP"). Slider i is the
  // widget named "fader<i>" and the number under it "value<i>"; the device boxes are "device1" to
  // "device16"; the other controls carry the names of the form.
  static constexpr int kFaders = 18;
  static constexpr int kXf = 16;
  static constexpr int kSp = 17;

  // Where the editor stands after the last load or commit.
  struct State {
    int Pgm = 1;                               // program 1-48
    int Scena = 1;                             // scene 1 to the program's scene count
    int ScAbs = 0;                             // absolute scene of Pgm/Scena
    std::array<std::uint8_t, kFaders> Wart{};  // working copy: channel levels, fade, speed
    std::uint8_t End = 0;                      // the loaded program's end scene
  };

  // Opens on program 1, scene 1, device 1 (loaded at once) and shows "\tEdycja" in the status bar.
  SceneEditorDialog(ControllerImage& image, Host& host, QWidget* parent = nullptr);
  ~SceneEditorDialog() override;

  const State& state() const { return st_; }

  // "Ładuj": the scene's levels of one device and the program's parameters into the working copy.
  void load();
  // "Zatwierdź": the working copy into the image; false when a check stopped it (nothing written).
  bool commit();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void buildFaders();
  void buildDevices();
  void setTabChain();
  bool readProgramAndScene(int& pgm, int& scena);
  void stepProgram(int delta);
  void stepScene(int delta);
  void onValueEdited(int i);
  void checkValueField(int i);
  void onFaderAction(int i, int action);
  void showValue(int i, int value);
  QCheckBox* deviceBox(int device) const;  // device 1-16
  QScrollBar* fader(int i) const;          // 0-17, see kFaders
  QLineEdit* valueField(int i) const;      // the number under fader i
  QRadioButton* modeButton(RunningMode mode) const;
  std::optional<RunningMode> checkedMode() const;

  ControllerImage& image_;
  Host& host_;
  std::unique_ptr<Ui::SceneEditorDialog> ui_;
  std::array<QScrollBar*, kFaders> faders_{};
  std::array<QLineEdit*, kFaders> values_{};
  std::array<QCheckBox*, 16> devices_{};
  State st_;
  bool placed_ = false;
};

}  // namespace kavira
