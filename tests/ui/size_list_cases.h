#pragma once
// Cases of the size list rules, run on every combo box implementation: the
// in-memory one everywhere, the real control in the Windows build. A
// COMBO_HOLDER gives a fresh, empty combo box as `combo`, lists its entry
// texts with texts() and replaces the whole text as the user would with
// type(), which drops the selection.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "memory_settings.h"
#include "packed_size.h"
#include "size_list.h"

using TEXTS = std::vector<std::string>;
using SAVED = std::vector<std::pair<std::string, int32_t>>;

constexpr int32_t packed(int32_t width, int32_t height) {
  return static_cast<int32_t>(pack_size(width, height));
}

template <class COMBO_HOLDER>
class SizeListRules : public ::testing::Test {
 protected:
  COMBO_HOLDER holder;
  SIZE_COMBO& combo = holder.combo;
  MEMORY_SETTINGS settings;

  TEXTS texts() { return holder.texts(); }
  std::string edit_text() {
    char text[combo_text_size];
    combo.get_text(text);
    return text;
  }
  // Fills the list with the given sizes in order, none selected.
  void fill(const std::vector<std::pair<int32_t, int32_t>>& sizes) {
    for (const auto& [w, h] : sizes) add_size_entry(combo, w, h, false);
  }
};

TYPED_TEST_SUITE_P(SizeListRules);

TYPED_TEST_P(SizeListRules, EmptySettingsStartWith640x480SelectedAndSaveOnlyThatKey) {
  load_size_list(this->combo, this->settings);
  EXPECT_EQ(this->texts(), TEXTS{"640x480"});
  EXPECT_EQ(this->combo.selection(), 0);
  EXPECT_EQ(this->combo.item_size(0), 31457920);
  EXPECT_EQ(this->edit_text(), "640x480");
  EXPECT_EQ(this->settings.loaded, TEXTS{"size_00"});

  save_size_list(this->combo, this->settings);
  EXPECT_EQ(this->settings.saved, (SAVED{{"size_00", -31457920}}));
}

TYPED_TEST_P(SizeListRules, LoadingStopsAtTheFirstZeroAndANegativeValueSelects) {
  this->settings.values = {
      {"size_00", 31457920}, {"size_01", -47187200}, {"size_02", 0}, {"size_03", 31457920}};
  load_size_list(this->combo, this->settings);
  EXPECT_EQ(this->texts(), (TEXTS{"640x480", "1280x720"}));
  EXPECT_EQ(this->combo.selection(), 1);
  EXPECT_EQ(this->combo.item_size(1), 47187200);
  EXPECT_EQ(this->settings.loaded, (TEXTS{"size_00", "size_01", "size_02"}));
}

TYPED_TEST_P(SizeListRules, EqualValuesGiveOneEntryAndTheLastNegativeStaysSelected) {
  this->settings.values = {{"size_00", -packed(640, 480)},
                           {"size_01", -packed(1280, 720)},
                           {"size_02", packed(640, 480)},
                           {"size_03", packed(800, 600)}};
  load_size_list(this->combo, this->settings);
  EXPECT_EQ(this->texts(), (TEXTS{"640x480", "1280x720", "800x600"}));
  EXPECT_EQ(this->combo.selection(), 1);
  EXPECT_EQ(this->edit_text(), "1280x720");
}

TYPED_TEST_P(SizeListRules, LoadingReadsAtMostEightKeys) {
  for (int i = 0; i < 9; ++i)
    this->settings.values["size_0" + std::to_string(i)] = packed(100 + i, 200);
  load_size_list(this->combo, this->settings);
  EXPECT_EQ(this->combo.count(), 8);
  EXPECT_EQ(this->texts().back(), "107x200");
  EXPECT_EQ(this->settings.loaded.size(), 8u);
  EXPECT_EQ(this->combo.selection(), -1);
}

TYPED_TEST_P(SizeListRules, StoredValuesUsingAll32BitsLoadAndSaveWithoutOverflow) {
  // INT32_MIN is the selected entry 0x32768 and -1 the selected entry 1x0; a
  // zero width or height loads but cannot be applied.
  this->settings.values = {{"size_00", INT32_MIN}, {"size_01", packed(0, 480)}, {"size_02", -1}};
  load_size_list(this->combo, this->settings);
  EXPECT_EQ(this->texts(), (TEXTS{"0x32768", "0x480", "1x0"}));
  EXPECT_EQ(this->combo.selection(), 2);

  FRAME_SIZE size{7, 7};
  EXPECT_EQ(read_selected_size(&this->combo, &size), 0);
  this->combo.select(0);
  EXPECT_EQ(read_selected_size(&this->combo, &size), 0);
  // 65535x65535 packs to -1, which reads as an unreadable entry.
  add_size_entry(this->combo, 65535, 65535, true);
  EXPECT_EQ(read_selected_size(&this->combo, &size), 0);
  EXPECT_EQ(size.width, 7);
  EXPECT_EQ(size.height, 7);

  this->combo.select(0);
  save_size_list(this->combo, this->settings);
  EXPECT_EQ(
      this->settings.saved,
      (SAVED{
          {"size_00", INT32_MIN}, {"size_01", packed(0, 480)}, {"size_02", 1}, {"size_03", -1}}));
}

TYPED_TEST_P(SizeListRules, TheUsersEditDropsTheSelectionAndTheProgramsDoesNot) {
  load_size_list(this->combo, this->settings);
  ASSERT_EQ(this->combo.selection(), 0);
  this->combo.set_text("1280x720");
  EXPECT_EQ(this->combo.selection(), 0);
  EXPECT_EQ(this->edit_text(), "1280x720");
  this->holder.type("800x600");
  EXPECT_EQ(this->combo.selection(), -1);
  EXPECT_EQ(this->edit_text(), "800x600");
}

TYPED_TEST_P(SizeListRules, SelectedEntryIsAppliedWithoutTouchingTheList) {
  this->fill({{640, 480}, {1280, 720}});
  this->combo.select(1);
  FRAME_SIZE size{};
  ASSERT_EQ(read_selected_size(&this->combo, &size), 1);
  EXPECT_EQ(size.width, 1280);
  EXPECT_EQ(size.height, 720);
  EXPECT_EQ(this->texts(), (TEXTS{"640x480", "1280x720"}));
  EXPECT_EQ(this->combo.selection(), 1);
}

TYPED_TEST_P(SizeListRules, NinthSizeEvictsTheFirstAndBecomesTheSelectedEighth) {
  this->fill({{100, 100},
              {200, 200},
              {300, 300},
              {400, 400},
              {500, 500},
              {600, 600},
              {700, 700},
              {800, 800}});
  this->holder.type("900x900");
  FRAME_SIZE size{};
  ASSERT_EQ(read_selected_size(&this->combo, &size), 1);
  EXPECT_EQ(size.width, 900);
  EXPECT_EQ(this->texts(), (TEXTS{"200x200", "300x300", "400x400", "500x500", "600x600", "700x700",
                                  "800x800", "900x900"}));
  EXPECT_EQ(this->combo.selection(), 7);
  EXPECT_EQ(this->combo.item_size(7), packed(900, 900));
  EXPECT_EQ(this->combo.item_size(0), packed(200, 200));
}

TYPED_TEST_P(SizeListRules, TypedSizeAlreadyListedIsSelectedInPlaceKeepingItsPackedSize) {
  this->fill({{640, 480}, {1280, 720}});
  // A packed size that differs from the text shows that the entry is neither
  // rewritten nor read back: the result is the parsed size.
  this->combo.set_item_size(0, packed(1, 1));
  this->holder.type("0640x0480");
  FRAME_SIZE size{};
  ASSERT_EQ(read_selected_size(&this->combo, &size), 1);
  EXPECT_EQ(size.width, 640);
  EXPECT_EQ(size.height, 480);
  EXPECT_EQ(this->texts(), (TEXTS{"640x480", "1280x720"}));
  EXPECT_EQ(this->combo.selection(), 0);
  EXPECT_EQ(this->combo.item_size(0), packed(1, 1));
  EXPECT_EQ(this->edit_text(), "640x480");
}

TYPED_TEST_P(SizeListRules, ASizeWhoseTextStartsLikeAListedOneIsANewEntry) {
  this->fill({{640, 480}});
  this->holder.type("640x48");
  FRAME_SIZE size{};
  ASSERT_EQ(read_selected_size(&this->combo, &size), 1);
  EXPECT_EQ(this->texts(), (TEXTS{"640x480", "640x48"}));
  EXPECT_EQ(this->combo.selection(), 1);
  EXPECT_EQ(size.height, 48);
}

TYPED_TEST_P(SizeListRules, TypedTextsAreCleanedClampedAndWrittenBack) {
  const std::string digits30(30, '7');
  const struct {
    std::string typed;
    int32_t width, height;
    std::string shown;
  } cases[] = {
      {"1920*1080", 1920, 1080, "1920x1080"},
      {"640 by 480", 640, 480, "640x480"},
      {"-640x480", 640, 480, "640x480"},
      {"12x40000", 32, 9999, "32x9999"},
      {"1x2x3", 32, 32, "32x32"},
      {"32x9999", 32, 9999, "32x9999"},
      {"640\x81\x7e"
       "480",
       640, 480, "640x480"},  // a multiplication sign in code page 932
      {"2147483648x1", 9999, 32, "9999x32"},
      {digits30 + "x" + digits30, 9999, 9999, "9999x9999"},
      {"480x" + std::string(59, '9'), 480, 9999, "480x9999"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    this->holder.type(c.typed.c_str());
    FRAME_SIZE size{};
    ASSERT_EQ(read_selected_size(&this->combo, &size), 1);
    EXPECT_EQ(size.width, c.width);
    EXPECT_EQ(size.height, c.height);
    EXPECT_EQ(this->edit_text(), c.shown);
    const int index = this->combo.find_exact(c.shown.c_str());
    EXPECT_GE(index, 0);
    EXPECT_EQ(this->combo.selection(), index);
  }
}

TYPED_TEST_P(SizeListRules, TextWithoutTwoNumbersFailsAndIsKept) {
  this->fill({{640, 480}});
  const std::string cases[] = {"640", "", "x", "by 480",
                               std::string(61, ' ') + "1 2"};  // the last: only 63 are read
  for (const auto& typed : cases) {
    SCOPED_TRACE(typed);
    this->holder.type(typed.c_str());
    FRAME_SIZE size{5, 6};
    EXPECT_EQ(read_selected_size(&this->combo, &size), 0);
    EXPECT_EQ(size.width, 5);
    EXPECT_EQ(size.height, 6);
    EXPECT_EQ(this->edit_text(), typed.substr(0, combo_text_size - 1));
    EXPECT_EQ(this->texts(), TEXTS{"640x480"});
    EXPECT_EQ(this->combo.selection(), -1);
  }
}

TYPED_TEST_P(SizeListRules, NoPlaceForTheResultFailsWithoutChangingTheList) {
  this->fill({{640, 480}});
  this->holder.type("800x600");
  EXPECT_EQ(read_selected_size(&this->combo, nullptr), 0);
  FRAME_SIZE size{};
  EXPECT_EQ(read_selected_size(nullptr, &size), 0);
  EXPECT_EQ(this->texts(), TEXTS{"640x480"});
  EXPECT_EQ(this->edit_text(), "800x600");
}

TYPED_TEST_P(SizeListRules, SavingNegatesOnlyTheSelectedEntryAndLeavesLaterKeys) {
  this->settings.values = {{"size_03", 111}, {"size_07", 222}};
  this->fill({{640, 480}, {1280, 720}, {1920, 1080}});
  this->combo.select(1);
  save_size_list(this->combo, this->settings);
  EXPECT_EQ(this->settings.saved, (SAVED{{"size_00", packed(640, 480)},
                                         {"size_01", -packed(1280, 720)},
                                         {"size_02", packed(1920, 1080)}}));
  EXPECT_EQ(this->settings.values["size_03"], 111);
  EXPECT_EQ(this->settings.values["size_07"], 222);

  this->settings.saved.clear();
  this->holder.type("typed");
  save_size_list(this->combo, this->settings);
  EXPECT_EQ(this->settings.saved, (SAVED{{"size_00", packed(640, 480)},
                                         {"size_01", packed(1280, 720)},
                                         {"size_02", packed(1920, 1080)}}));
}

TYPED_TEST_P(SizeListRules, SavingWritesAtMostEightKeys) {
  for (int i = 0; i < 10; ++i)
    this->combo.set_item_size(this->combo.add(std::to_string(i).c_str()), i + 1);
  save_size_list(this->combo, this->settings);
  ASSERT_EQ(this->settings.saved.size(), 8u);
  EXPECT_EQ(this->settings.saved.back(), (std::pair<std::string, int32_t>{"size_07", 8}));
}

TYPED_TEST_P(SizeListRules, SavedListLoadsBackTheSame) {
  this->fill({{640, 480}, {1280, 720}, {720, 480}});
  this->combo.select(2);
  save_size_list(this->combo, this->settings);

  TypeParam second;
  load_size_list(second.combo, this->settings);
  EXPECT_EQ(second.texts(), this->texts());
  EXPECT_EQ(second.combo.selection(), 2);
}

REGISTER_TYPED_TEST_SUITE_P(SizeListRules, EmptySettingsStartWith640x480SelectedAndSaveOnlyThatKey,
                            LoadingStopsAtTheFirstZeroAndANegativeValueSelects,
                            EqualValuesGiveOneEntryAndTheLastNegativeStaysSelected,
                            LoadingReadsAtMostEightKeys,
                            StoredValuesUsingAll32BitsLoadAndSaveWithoutOverflow,
                            TheUsersEditDropsTheSelectionAndTheProgramsDoesNot,
                            SelectedEntryIsAppliedWithoutTouchingTheList,
                            NinthSizeEvictsTheFirstAndBecomesTheSelectedEighth,
                            TypedSizeAlreadyListedIsSelectedInPlaceKeepingItsPackedSize,
                            ASizeWhoseTextStartsLikeAListedOneIsANewEntry,
                            TypedTextsAreCleanedClampedAndWrittenBack,
                            TextWithoutTwoNumbersFailsAndIsKept,
                            NoPlaceForTheResultFailsWithoutChangingTheList,
                            SavingNegatesOnlyTheSelectedEntryAndLeavesLaterKeys,
                            SavingWritesAtMostEightKeys, SavedListLoadsBackTheSame);
