#pragma once
// Caption of the host's check box 0, "縦を優先" (vertical first), in code page 932.
constexpr char vertical_first_caption[] = "\x8f\x63\x82\xf0\x97\x44\x90\xe6";
