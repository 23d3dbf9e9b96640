#include "ui/dialog_window.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string FilterList(const char* filter) {
    FixedText<64> list;
    FilterListFromText(filter, list);
    return std::string(list.c_str(), list.size());
}

TEST(FilterListFromText, OneDescriptionWithoutPatternEndsInTwoNuls) {
    EXPECT_EQ(FilterList("Firmware File (bin)"), std::string("Firmware File (bin)\0\0", 21));
}

TEST(FilterListFromText, BarsSeparateAndTheListIsAlwaysDoubleTerminated) {
    EXPECT_EQ(FilterList("Bin|*.bin||"), std::string("Bin\0*.bin\0\0", 11));
    EXPECT_EQ(FilterList("Bin|*.bin|"), std::string("Bin\0*.bin\0\0", 11));
    EXPECT_EQ(FilterList("Bin|*.bin"), std::string("Bin\0*.bin\0\0", 11));
    EXPECT_EQ(FilterList(""), std::string("\0\0", 2));
}

TEST(FileNameExtension, TextAfterTheLastDotOfTheFileName) {
    EXPECT_STREQ(FileNameExtension("C:\\fw\\FW.BIN"), "BIN");
    EXPECT_STREQ(FileNameExtension("C:\\fw\\image.p13.bin"), "bin");
    EXPECT_STREQ(FileNameExtension("fw.rom"), "rom");
    EXPECT_STREQ(FileNameExtension("C:\\fw\\name."), "");
}

TEST(FileNameExtension, DotsInDirectoryNamesDoNotCount) {
    EXPECT_STREQ(FileNameExtension("C:\\fw.bin\\firmware"), "");
    EXPECT_STREQ(FileNameExtension("C:/fw.bin/firmware"), "");
    EXPECT_STREQ(FileNameExtension("A:firmware"), "");
}

}  // namespace

namespace {

TEST(FilterListFromText, AFilterLongerThanTheListIsCutAndStillEndsInTwoNuls) {
    FixedText<8> list;
    FilterListFromText("Firmware File (bin)", list);
    EXPECT_EQ(std::string(list.c_str(), list.size()), std::string("Firmw\0\0", 7));
}

}  // namespace
