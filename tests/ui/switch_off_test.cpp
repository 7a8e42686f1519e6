// Switching the filter off gives back the resampler's work memory.
#include <gtest/gtest.h>

#include "kernels.h"
#include "size_controls_fixture.h"
#include "work_area.h"

namespace {

using SwitchOff = FilterWindowTest;

TEST_F(SwitchOff, ReleasesTheWorkMemoryOnlyWhenTheFilterIsInactive) {
  open_window(300, 240);
  ASSERT_TRUE(prepare_work_area(work_area, 64, 96, *active_kernels()));
  ASSERT_NE(work_area.memory, nullptr);

  host.active = TRUE;
  EXPECT_EQ(deliver(WM_FILTER_CHANGE_ACTIVE), 0);
  EXPECT_NE(work_area.memory, nullptr);

  host.active = FALSE;
  EXPECT_EQ(deliver(WM_FILTER_CHANGE_ACTIVE), 0);
  EXPECT_EQ(work_area.memory, nullptr);
  EXPECT_EQ(deliver(WM_FILTER_CHANGE_ACTIVE), 0) << "nothing held is fine too";

  // Switching on leaves the memory to the next frame.
  host.active = TRUE;
  EXPECT_EQ(deliver(WM_FILTER_CHANGE_ACTIVE), 0);
  EXPECT_EQ(work_area.memory, nullptr);
  ASSERT_TRUE(prepare_work_area(work_area, 64, 96, *active_kernels()));
  EXPECT_NE(work_area.memory, nullptr);
  release_work_area();
  EXPECT_EQ(host.redraws, 0);
}

}  // namespace
