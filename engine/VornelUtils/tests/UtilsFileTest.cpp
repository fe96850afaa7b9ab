#include "VornelUtils/UtilsFile.h"

#include <gtest/gtest.h>

#include "DataTestFolder.h"

TEST(UtilsFile, ExistsAndNonEmpty)
{
    DataTestFolder folder("file");
    folder.WriteFile("empty.raw", {});
    folder.WriteFile("Full.raw", {1});
    EXPECT_TRUE(UtilsFile_Exists(folder.WidePath("empty.raw").c_str()));
    EXPECT_FALSE(UtilsFile_IsNonEmpty(folder.WidePath("empty.raw").c_str()));
    EXPECT_TRUE(UtilsFile_IsNonEmpty(folder.WidePath("full.raw").c_str()));  // found without regard to case
    EXPECT_FALSE(UtilsFile_Exists(folder.WidePath("none.raw").c_str()));
    EXPECT_FALSE(UtilsFile_IsNonEmpty(folder.WidePath("none.raw").c_str()));
    EXPECT_FALSE(UtilsFile_Exists(nullptr));
    EXPECT_FALSE(UtilsFile_Exists(folder.WidePath("").c_str()));  // a folder is not a file
}
