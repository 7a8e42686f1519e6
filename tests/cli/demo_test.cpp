// The demo: a card and its resized copies as PNGs, one line per job.
#include <gtest/gtest.h>

#include <sstream>

#include "png_file.h"
#include "test_card.h"
#include "tool_process.h"

namespace {

TEST(Demo, WritesTheCardAndEveryResizedCopyWithALineEach) {
  SCRATCH_DIR dir;
  const TOOL_RUN run = run_tool(dir, {"demo", "cards", "--threads", "2"}, {}, dir.file("said.txt"));
  ASSERT_EQ(run.status, 0) << run.errors;
  const auto said_bytes = read_bytes(dir.file("said.txt"));
  std::istringstream said(std::string(said_bytes.begin(), said_bytes.end()));
  std::string line;
  int jobs = 0;
  while (std::getline(said, line)) {
    // "960x540 -> WxH (... first, N threads, K kernels): T ms  cards/card-WxH.png"
    const size_t arrow = line.find(" -> ");
    if (arrow == std::string::npos) continue;
    ++jobs;
    const std::string size = line.substr(arrow + 4, line.find(' ', arrow + 4) - arrow - 4);
    EXPECT_NE(line.find(" ms "), std::string::npos) << line;
    const std::string path = dir.file("cards/card-" + size + ".png");
    INPUT_FILE in;
    open_input(in, path);
    PNG_PICTURE p;
    read_png(in, p);
    EXPECT_EQ(std::to_string(p.width) + "x" + std::to_string(p.height), size);
    EXPECT_EQ(p.channels, 3);
  }
  EXPECT_GE(jobs, 4);
  INPUT_FILE in;
  open_input(in, dir.file("cards/card.png"));
  PNG_PICTURE card;
  read_png(in, card);
  EXPECT_EQ(card.width, test_card_width);
  EXPECT_EQ(card.height, test_card_height);
}

TEST(Demo, AFileInTheWayOfTheFolderIsAnError) {
  SCRATCH_DIR dir;
  write_bytes(dir.file("cards"), {'x'});
  const TOOL_RUN run = run_tool(dir, {"demo", "cards"});
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.errors.find("cards: exists and is not a folder"), std::string::npos) << run.errors;
}

}  // namespace
