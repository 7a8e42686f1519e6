// write_test_frame W H SEED FILE: writes the smooth test image of that size
// and seed as a .yc48 frame, for the shell tests.
#include <cstdio>
#include <cstdlib>

#include "images.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: write_test_frame W H SEED FILE\n");
    return 2;
  }
  const int32_t w = std::atoi(argv[1]), h = std::atoi(argv[2]);
  if (w < 1 || h < 1 || !write_image_file(argv[4], test_image(w, h, std::atoi(argv[3])))) {
    std::fprintf(stderr, "write_test_frame: cannot write %s\n", argv[4]);
    return 1;
  }
  return 0;
}
