#include "file_dialog_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FilterListFromText, OneDescriptionWithoutPatternEndsInTwoNuls) {
    EXPECT_EQ(FilterListFromText("Firmware File (bin)"), std::string("Firmware File (bin)\0\0", 21));
}

TEST(FilterListFromText, BarsSeparateAndTheListIsAlwaysDoubleTerminated) {
    EXPECT_EQ(FilterListFromText("Bin|*.bin||"), std::string("Bin\0*.bin\0\0", 11));
    EXPECT_EQ(FilterListFromText("Bin|*.bin|"), std::string("Bin\0*.bin\0\0", 11));
    EXPECT_EQ(FilterListFromText("Bin|*.bin"), std::string("Bin\0*.bin\0\0", 11));
    EXPECT_EQ(FilterListFromText(""), std::string("\0\0", 2));
}

TEST(FileNameExtension, TextAfterTheLastDotOfTheFileName) {
    EXPECT_EQ(FileNameExtension("C:\\fw\\FW.BIN"), "BIN");
    EXPECT_EQ(FileNameExtension("C:\\fw\\image.p13.bin"), "bin");
    EXPECT_EQ(FileNameExtension("fw.rom"), "rom");
    EXPECT_EQ(FileNameExtension("C:\\fw\\name."), "");
}

TEST(FileNameExtension, DotsInDirectoryNamesDoNotCount) {
    EXPECT_EQ(FileNameExtension("C:\\fw.bin\\firmware"), "");
    EXPECT_EQ(FileNameExtension("C:/fw.bin/firmware"), "");
    EXPECT_EQ(FileNameExtension("A:firmware"), "");
}

}  // namespace
