#include "interaction.h"

namespace gui {

void ClickCenter(const Xdo& xdo, const Accessible& target, int button) {
  const Extents box = target.ScreenExtents();
  xdo.Click(box.x + box.width / 2, box.y + box.height / 2, button);
}

void FocusByClick(const Xdo& xdo, const Accessible& target, std::chrono::milliseconds timeout) {
  ClickCenter(xdo, target);
  WaitUntil([&] { return target.Focused(); }, timeout, "keyboard focus on " + target.Describe());
}

void TypeInto(const Xdo& xdo, const Accessible& target, const std::string& text, std::chrono::milliseconds timeout) {
  FocusByClick(xdo, target, timeout);
  xdo.Type(text);
}

}  // namespace gui
