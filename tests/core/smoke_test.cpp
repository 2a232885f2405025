#include <gtest/gtest.h>

#include "base/bitmap_types.h"

TEST(BitmapTypes, StrideIsPaddedToWholeWords) {
    EXPECT_EQ(DibStride(1, 1), 4);
    EXPECT_EQ(DibStride(33, 1), 8);
    EXPECT_EQ(DibStride(3, 8), 4);
    EXPECT_EQ(DibStride(5, 32), 20);
}
