#include "ui/core/button_picture.h"

#include <gtest/gtest.h>

namespace {

using ui::ButtonFlags;
using ui::ButtonPicture;
using ui::ButtonPictures;
using ui::ChooseButtonPicture;

constexpr ButtonPictures kAll{true, true, true, true, true};
constexpr ButtonPictures kNone{};
constexpr ButtonPictures kNormalOnly{true, false, false, false, false};

struct Case {
  const char* name;
  ButtonFlags flags;  // focused, highlight, hover, disabled, lButtonDown
  ButtonPictures available;
  ButtonPicture want;
};

TEST(ButtonPicture, ChoiceOverFlags) {
  const Case cases[] = {
      {"idle", {}, kAll, ButtonPicture::Normal},
      {"focused", {true, false, false, false, false}, kAll, ButtonPicture::Focused},
      {"pointer over", {false, true, false, false, false}, kAll, ButtonPicture::Focused},
      {"rested", {false, true, true, false, false}, kAll, ButtonPicture::Hovered},
      {"hover beats focus", {true, true, true, false, false}, kAll, ButtonPicture::Hovered},
      {"pressed", {false, false, false, false, true}, kAll, ButtonPicture::Pressed},
      {"pressed beats hover", {true, true, true, false, true}, kAll, ButtonPicture::Pressed},
      {"disabled beats all", {true, true, true, true, true}, kAll, ButtonPicture::Disabled},
      {"disabled idle", {false, false, false, true, false}, kAll, ButtonPicture::Disabled},
      {"no focus picture", {true, true, false, false, false}, kNormalOnly, ButtonPicture::Normal},
      {"no hover picture", {false, true, true, false, false}, kNormalOnly, ButtonPicture::Normal},
      {"no pressed picture",
       {false, false, false, false, true},
       kNormalOnly,
       ButtonPicture::Normal},
      // A disabled picture does not fall back: without one nothing is drawn.
      {"no disabled picture", {false, false, false, true, false}, kNormalOnly, ButtonPicture::None},
      {"no strip", {}, kNone, ButtonPicture::None},
      {"no strip, pressed", {false, false, false, false, true}, kNone, ButtonPicture::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseButtonPicture(c.flags, c.available), c.want) << c.name;
  }
}

}  // namespace
