#include "ui/core/button_picture.h"

namespace ui {

namespace {

bool Exists(ButtonPicture picture, const ButtonPictures& a) {
  switch (picture) {
    case ButtonPicture::Normal: return a.normal;
    case ButtonPicture::Pressed: return a.pressed;
    case ButtonPicture::Focused: return a.focused;
    case ButtonPicture::Hovered: return a.hovered;
    case ButtonPicture::Disabled: return a.disabled;
    case ButtonPicture::None: return false;
  }
  return false;
}

}  // namespace

ButtonPicture ChooseButtonPicture(const ButtonFlags& f, const ButtonPictures& a) {
  auto orNormal = [&](ButtonPicture p) { return Exists(p, a) ? p : ButtonPicture::Normal; };
  ButtonPicture chosen = f.focused ? orNormal(ButtonPicture::Focused) : ButtonPicture::Normal;
  if (f.highlight) chosen = orNormal(ButtonPicture::Focused);
  if (f.hover) chosen = orNormal(ButtonPicture::Hovered);
  if (f.disabled) {
    chosen = ButtonPicture::Disabled;
  } else if (f.lButtonDown) {
    chosen = orNormal(ButtonPicture::Pressed);
  }
  return Exists(chosen, a) ? chosen : ButtonPicture::None;
}

}  // namespace ui
