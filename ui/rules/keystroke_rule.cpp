#include "keystroke_rule.h"

KEYSTROKE classify_keystroke(uint32_t message, uintptr_t code) {
  if (message != char_message) return KEYSTROKE::pass_on;
  if (code == '\r') return KEYSTROKE::click_set_button;
  if ((code >= '0' && code <= '9') || code == 'x' || code == '*') return KEYSTROKE::pass_on;
  if (code >= 0x21 && code <= 0x7E) return KEYSTROKE::beep;
  return KEYSTROKE::pass_on;
}
