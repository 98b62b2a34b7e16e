#pragma once
// Which of its pictures a bitmap button shows for its flags.
namespace ui {

enum class ButtonPicture { None, Normal, Pressed, Focused, Hovered, Disabled };

struct ButtonFlags {
  bool focused = false;
  bool highlight = false;
  bool hover = false;
  bool disabled = false;
  bool lButtonDown = false;
};

// Which pictures exist (a strip that failed to load leaves them all empty).
struct ButtonPictures {
  bool normal = false, pressed = false, focused = false, hovered = false, disabled = false;
};

// Later rules override earlier ones: focus, then highlight, then hover; disabled wins over
// everything, and otherwise a held left button shows the pressed picture. A missing picture
// falls back to the normal one; None when the chosen picture does not exist either.
ButtonPicture ChooseButtonPicture(const ButtonFlags& flags, const ButtonPictures& available);

}  // namespace ui
