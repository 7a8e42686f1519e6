#pragma once
// Prints a filter table as the host reads it: texts as code page 932 bytes
// and decoded, tracks, checks, information and which callbacks are set.
#include <cstdio>
#include <string>

#include "filter_abi.h"

// A code page 932 text in UTF-8 (empty when the bytes are not valid code page
// 932).
std::string cp932_to_utf8(const char* text);

void print_filter_table(const FILTER& table, FILE* out);

// The track ranges, as the host's window shows them after func_init.
void print_track_ranges(const FILTER& table, FILE* out);
