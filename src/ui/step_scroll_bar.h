// A scroll bar whose held-down repeat can be stopped from outside. The dialogs read their rows back
// before every scroll; when that fails a warning comes up, and the repeat of a held arrow or page area
// must not go on behind it.
#pragma once

#include <QScrollBar>

namespace kavira {

class StepScrollBar : public QScrollBar {
 public:
  using QScrollBar::QScrollBar;
  void stopRepeat() { setRepeatAction(SliderNoAction); }
};

}  // namespace kavira
