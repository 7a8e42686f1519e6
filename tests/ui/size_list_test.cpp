// The list rules on the in-memory combo box, and what only it can show:
// refused appends and its own model of the control.
#include <gtest/gtest.h>

#include "memory_combo.h"
#include "size_list_cases.h"

namespace {

struct MEMORY_COMBO_HOLDER {
  MEMORY_COMBO combo;
  void type(const char* text) { combo.type_text(text); }
  TEXTS texts() const {
    TEXTS out;
    for (const auto& e : combo.entries) out.push_back(e.text);
    return out;
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, SizeListRules, MEMORY_COMBO_HOLDER);

TEST(RefusedAppend, AttachesNothingAndSelectsNoneOnlyForLackOfSpace) {
  MEMORY_COMBO combo;
  add_size_entry(combo, 640, 480, true);
  ASSERT_EQ(combo.selection(), 0);

  combo.refuse_add = combo_error;
  add_size_entry(combo, 800, 600, true);
  EXPECT_EQ(combo.count(), 1);
  EXPECT_EQ(combo.selection(), 0) << "an error leaves the selection alone";

  combo.refuse_add = combo_no_space;
  add_size_entry(combo, 800, 600, true);
  EXPECT_EQ(combo.count(), 1);
  EXPECT_EQ(combo.selection(), -1) << "selecting position -2 selects none";
  EXPECT_EQ(combo.item_size(0), packed(640, 480));

  // A typed size that cannot be added is still the size to apply.
  combo.type_text("800x600");
  FRAME_SIZE size{};
  EXPECT_EQ(read_selected_size(&combo, &size), 1);
  EXPECT_EQ(size.width, 800);
  EXPECT_EQ(combo.count(), 1);
}

TEST(MemoryCombo, DeletingTheFirstEntryMovesTheSelectionWithItsEntry) {
  MEMORY_COMBO combo;
  for (const char* t : {"a", "b", "c"}) combo.add(t);
  combo.select(2);
  combo.delete_first();
  EXPECT_EQ(combo.selection(), 1);
  EXPECT_EQ(combo.entries[1].text, "c");
  combo.select(0);
  combo.delete_first();
  EXPECT_EQ(combo.selection(), -1);
}

TEST(MemoryCombo, ExactSearchIgnoresCaseButNotLength) {
  MEMORY_COMBO combo;
  combo.add("640x480");
  EXPECT_EQ(combo.find_exact("640X480"), 0);
  EXPECT_EQ(combo.find_exact("640x48"), -1);
  EXPECT_EQ(combo.find_exact("640x4800"), -1);
}

TEST(MemoryCombo, TextIsReadUpTo63Characters) {
  MEMORY_COMBO combo;
  combo.set_text(std::string(70, '5').c_str());
  char text[combo_text_size];
  EXPECT_EQ(combo.get_text(text), 63);
  EXPECT_EQ(std::string(text), std::string(63, '5'));
}

}  // namespace
