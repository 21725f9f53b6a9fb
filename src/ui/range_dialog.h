// "Zakres scen": the first and last scene of a scene transfer, by program and scene as the user
// numbers them. OK checks the four numbers and stores the range; "Wszystkie" takes every scene.
#pragma once

#include <QDialog>
#include <cstdint>

#include "link/host.h"

class QLineEdit;
class QPushButton;

namespace kavira {

class RangeDialog : public QDialog {
  Q_OBJECT

 public:
  // Results of exec(): 1 when a range was stored, 2 after "Cancel".
  static constexpr int kConfirmed = 1;
  static constexpr int kCancelled = 2;

  // The fields are named "programFrom", "sceneFrom", "programTo" and "sceneTo", the buttons
  // "allButton", "okButton" and "cancelButton".
  RangeDialog(std::uint32_t& AdresOd, std::uint32_t& AdresDo, Host& host, QWidget* parent = nullptr);

  // "OK": true when the range passed every check and was stored (the dialog then ends with 1).
  bool confirm();

 private:
  std::uint32_t& AdresOd_;
  std::uint32_t& AdresDo_;
  Host& host_;
  QLineEdit* fields_[4];
  QPushButton* all_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace kavira
