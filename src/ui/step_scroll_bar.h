// A scroll bar whose held-down repeat can be stopped from outside. The dialogs read their rows back
// before every scroll; when that fails a warning comes up, and the repeat of a held arrow or page area
// must not go on behind it.
#pragma once

#include <QScrollBar>
#include <algorithm>
#include <optional>

namespace kavira {

class StepScrollBar : public QScrollBar {
 public:
  using QScrollBar::QScrollBar;
  void stopRepeat() { setRepeatAction(SliderNoAction); }

  // The first row a scroll action leads to from `first`: a line step moves by 1, a page step by `page`,
  // the thumb to where it is; within 0 to `last`. Nothing for the actions that keep the rows (Home,
  // End).
  std::optional<int> scrolledTo(int action, int first, int page, int last) const {
    int next = first;
    switch (action) {
      case SliderSingleStepSub:
        next -= 1;
        break;
      case SliderSingleStepAdd:
        next += 1;
        break;
      case SliderPageStepSub:
        next -= page;
        break;
      case SliderPageStepAdd:
        next += page;
        break;
      case SliderMove:
        next = sliderPosition();
        break;
      default:
        return std::nullopt;
    }
    return std::clamp(next, 0, last);
  }
};

}  // namespace kavira
