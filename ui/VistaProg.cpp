#include "ui/VistaProg.h"

#include "ui/Twips.h"

namespace ui {

Picture LeftCapPicture(CapPicture state) {
  return {kCapOuterColumn,
          state == CapPicture::Filled ? kCapInnerFilledColumn : kCapInnerEmptyColumn};
}

Picture RightCapPicture(CapPicture state) {
  return {state == CapPicture::Filled ? kCapInnerFilledColumn : kCapInnerEmptyColumn,
          kCapOuterColumn};
}

Picture BarPicture() {
  return {kBarColumn, kBarColumn};
}
Picture TrackPicture() {
  return {kTrackColumn, kTrackColumn};
}

VistaProg::VistaProg(ChangeListener changed) : changed_(std::move(changed)) {}

void VistaProg::SetValue(int32_t value) {
  if (value < min_)
    value_ = min_;
  else if (value > max_)
    value_ = max_;
  else
    value_ = value;
  DrawBar();
  if (changed_) changed_("Value");
}

void VistaProg::SetMax(int32_t value) {
  if (value < 1) value = 1;
  if (min_ >= value) value = min_ + 1;
  max_ = value;
  if (max_ < value_) SetValue(max_);
  DrawBar();
  if (changed_) changed_("Max");
}

void VistaProg::SetMin(int32_t value) {
  if (value >= max_) value = max_ - 1;
  min_ = value < 0 ? 0 : value;
  if (value_ < min_) SetValue(min_);
  DrawBar();
  if (changed_) changed_("Min");
}

void VistaProg::InitProperties() {
  SetMax(100);
  SetMin(0);
  SetValue(1);
}

void VistaProg::Resize(int32_t width, int32_t /*height*/) {
  layout_.height = 325;
  layout_.width = width < 0 ? 0 : width;
  layout_.barRight.left = layout_.width - layout_.barRight.width;
  layout_.barBack.width = layout_.width;
  DrawBar();
}

void VistaProg::DrawBar() {
  const double percent = (100.0 * value_) / max_;
  const int32_t length = RoundHalfEven(percent * layout_.width / 100.0);
  if (value_ == 0) {
    layout_.barMain.width = 15;
    layout_.rightCap = CapPicture::Empty;
    layout_.leftCap = CapPicture::Empty;
  }
  if (value_ >= 1) {
    layout_.leftCap = CapPicture::Filled;
    layout_.barMain.width = length;
  }
  if (value_ == max_)
    layout_.rightCap = CapPicture::Filled;
  else if (value_ < max_)
    layout_.rightCap = CapPicture::Empty;
}

}  // namespace ui
