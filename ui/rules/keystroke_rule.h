#pragma once
// Which typed characters the size field takes. Digits, the lowercase x and
// the asterisk go through; every other printable character but space is
// refused with a beep; Enter clicks the set button. Everything else (space,
// backspace, other control characters, bytes of 0x80 and above, and every
// message that is not a typed character) goes to the field unchanged.
#include <cstdint>

constexpr uint32_t char_message = 0x0102;  // WM_CHAR

enum class KEYSTROKE { pass_on, click_set_button, beep };

KEYSTROKE classify_keystroke(uint32_t message, uintptr_t code);
