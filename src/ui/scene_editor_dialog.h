// The scene editor: the 16 channel levels of one device of one scene on sliders, together with the
// program's fade, running mode and end scene. "Ładuj" copies them out of the controller image into a
// working copy, "Zatwierdź" writes the working copy into one or several devices of a scene and into the
// program's parameters. The main window runs it modally, also while a transfer is under way.
//
// The sliders always show the scene last loaded. While the program and scene fields name another one,
// "Zatwierdź" and the device copy and paste are greyed: the levels shown belong to the scene loaded, and
// Enter in a field (or "Ładuj") loads the one named. "Kopiuj urządzenie" keeps the 16 levels shown in
// a device clipboard, "Wklej do zaznaczonych" writes them into every checked device of the scene.
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
    int Device = 1;                            // the device whose levels the sliders show
  };

  // The 16 channel levels of one device, as "Kopiuj urządzenie" keeps them.
  using DeviceLevels = std::array<std::uint8_t, 16>;
  struct DeviceClipboard {
    std::optional<DeviceLevels> levels;  // nothing until a device is copied
  };

  // Opens on program 1, scene 1, device 1 (loaded at once) and shows "\tEdycja" in the status bar.
  SceneEditorDialog(ControllerImage& image, Host& host, QWidget* parent = nullptr);
  ~SceneEditorDialog() override;

  const State& state() const { return st_; }

  // "Ładuj" (also Enter in the program or scene field): the scene's levels of one device and the
  // program's parameters into the working copy; false when a field was refused (nothing loaded).
  bool load();
  // "Zatwierdź": the working copy into the image; false when a check stopped it or the fields name
  // another scene than the one shown (nothing written).
  bool commit();
  // Puts program pgm1 (1-48) and scene scena1 (1-based within the program) into the fields and loads
  // them; a number out of range is refused on its field as a typed one is.
  bool showScene(int pgm1, int scena1);

  // "Kopiuj urządzenie": the channel levels shown into the device clipboard; false when the fields
  // name another scene or a channel's field holds no valid level (nothing copied).
  bool copyDevice();
  // "Wklej do zaznaczonych": the clipboard's levels into every checked device of the scene shown;
  // false when there was nothing to paste, no device was checked or the fields name another scene.
  bool pasteDevice();
  // The clipboard copy and paste use. Unless one is given, every editor of the process shares one, so
  // that a device copied survives closing and reopening the editor. `clipboard` must outlive the dialog.
  void setDeviceClipboard(DeviceClipboard& clipboard);

 signals:
  // After each change the dialog made to the image (a commit, a paste), with a name for the step.
  // A commit or paste that leaves the image as it was emits nothing.
  void edited(const QString& stepName);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void buildFaders();
  void buildDevices();
  void setTabChain();
  bool readProgramAndScene(int& pgm, int& scena);
  bool fieldsNameAnotherScene() const;
  void updateButtons();
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
  DeviceClipboard* clipboard_;
  bool placed_ = false;
};

}  // namespace kavira
