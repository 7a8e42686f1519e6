#pragma once
// Interleaved timing of one job's cells.
#include <vector>

#include "cells.h"

// Warms every cell up, then runs rounds in which each cell that has fewer
// than min_seconds of timed frames runs frames for about a tenth of a second,
// so that a change in the machine's load falls on all cells alike. Each
// frame is timed on its own; before_frame is not timed. Wall-clock time, or
// with cpu_time the processor time of all the process's threads, which time
// taken by other programs on a loaded machine leaves out (one-thread cells;
// on two threads it adds both threads' time, idle waits left out).
void measure(std::vector<CELL>& cells, double min_seconds, bool cpu_time);

double median_of(std::vector<double> values);
double minimum_of(const std::vector<double>& values);
