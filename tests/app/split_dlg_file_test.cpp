#include "app/split_dlg_file.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace geoframe {
namespace {

using namespace std::string_literals;  // "...\0..."s keeps the NULs

struct SplitCase {
  std::string name;
  std::string raw;
  std::string currentFolder;
  DlgFileList expected;
};

class SplitDlgFileTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitDlgFileTest, GivesFolderAndNames) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(SplitDlgFile(c.raw, c.currentFolder), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    RawResults, SplitDlgFileTest,
    ::testing::Values(
        SplitCase{"OneFile", "/home/u/photos/a.jpg", "/home/u/photos", {1, "/home/u/photos/", {"a.jpg"}}},
        SplitCase{"OneFileAtRoot", "/a.jpg", "/", {1, "/", {"a.jpg"}}},
        SplitCase{"SeveralFiles", "/p\0a.jpg\0b.jpg"s, "/p", {2, "/p/", {"a.jpg", "b.jpg"}}},
        SplitCase{"SeveralAtRoot", "/\0b.jpg\0a.jpg"s, "/", {2, "/", {"b.jpg", "a.jpg"}}},
        // A NUL at the very end gives an empty last name.
        SplitCase{"TrailingNul", "/p\0a.jpg\0"s, "/p", {2, "/p/", {"a.jpg", ""}}},
        SplitCase{"NamesWithBlanksAndChinese", "/p\0照片 1.JPG\0x y.jpg"s, "/p",
                  {2, "/p/", {"照片 1.JPG", "x y.jpg"}}},
        // Cancel gives the empty text, shorter than any folder.
        SplitCase{"CancelEmpty", "", "/p", {}},
        SplitCase{"ShorterThanFolder", "/q", "/photos", {}},
        // Exactly the folder: one empty name, which no later step accepts.
        SplitCase{"JustTheFolder", "/p", "/p", {1, "/p/", {""}}}),
    [](const auto& info) { return info.param.name; });

TEST(SplitDlgFile, UsesTheProcessCurrentFolder) {
  const std::string cur = std::filesystem::current_path().string();
  DlgFileList list = SplitDlgFile(cur + "\0x.jpg\0y.JPG"s);
  EXPECT_EQ(list, (DlgFileList{2, cur + "/", {"x.jpg", "y.JPG"}}));
}

TEST(ToDlgFileList, AddsTheMissingSeparator) {
  EXPECT_EQ(ToDlgFileList({"/p", {"a.jpg"}}), (DlgFileList{1, "/p/", {"a.jpg"}}));
  EXPECT_EQ(ToDlgFileList({"/p/", {"a.jpg", "b.jpg"}}), (DlgFileList{2, "/p/", {"a.jpg", "b.jpg"}}));
}

}  // namespace
}  // namespace geoframe
