#pragma once
// Text that reaches the size field other than by typing: a paste (WM_PASTE,
// which the field's Ctrl+V sends; Ctrl+V and Shift+Insert are taken as one
// here), a replacement of the selection (EM_REPLACESEL) or a new text
// (WM_SETTEXT). Typing keeps the field's limit of 10 characters; text that
// arrives this way is taken whole, up to the 63 characters the size text is
// read from (parse_size_text), or not at all, so that it never arrives cut
// into another size ("1920 x 1080" into "1920 x 108").
#include <windows.h>

// Whether the message puts text into the field other than by typing.
bool inserts_text(UINT message, WPARAM wparam);

// Hands the message to the field's previous procedure `edit_proc` with the
// field's limit raised to 63 characters, and keeps the result when the field
// then holds what it held with the inserted text in place of the selection
// (a paste without the line breaks at its end), at most 63 characters.
// Otherwise the field's text and selection stay as they were, a paste
// beeps, and the result is 0.
LRESULT insert_whole(HWND field, WNDPROC edit_proc, UINT message, WPARAM wparam, LPARAM lparam);
