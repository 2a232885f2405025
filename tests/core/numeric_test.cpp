// The shared number conversions at the values where conversions go wrong.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/numeric.h"

TEST(Numeric, ConversionsAreDefinedForEveryInput) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // Saturating truncation: NaN is 0, −0 is 0, the limits hold.
    EXPECT_EQ(SaturateToInt32(nan), 0);
    EXPECT_EQ(SaturateToInt32(-0.0), 0);
    EXPECT_EQ(SaturateToInt32(-2.9), -2);
    EXPECT_EQ(SaturateToInt32(2147483648.0), INT32_MAX);
    EXPECT_EQ(SaturateToInt32(-2147483649.0), INT32_MIN);
    EXPECT_EQ(SaturateToInt32(inf), INT32_MAX);
    EXPECT_EQ(FloorToInt32(-0.5), -1);
    EXPECT_EQ(CeilToInt32(-0.5), 0);
    // The x86 form: anything out of range is the indefinite value.
    EXPECT_EQ(TruncateOrIndefinite(2147483647.9), INT32_MAX);
    EXPECT_EQ(TruncateOrIndefinite(2147483648.0), INT32_MIN);
    EXPECT_EQ(TruncateOrIndefinite(-2147483648.9), INT32_MIN);
    EXPECT_EQ(TruncateOrIndefinite(nan), INT32_MIN);
    EXPECT_EQ(TruncateOrIndefinite(-1.5), -1);
    // 16.16 steps are refused, not wrapped, past the int32 range.
    int32_t step = 7;
    EXPECT_FALSE(FloorToInt32Step(2147483647.0, &step));
    EXPECT_FALSE(FloorToInt32Step(nan, &step));
    EXPECT_EQ(step, 7);
    EXPECT_TRUE(FloorToInt32Step(-65536.5, &step));
    EXPECT_EQ(step, -65537);
    // Integer division rounding toward each infinity.
    EXPECT_EQ(FloorDivide(-7, 2), -4);
    EXPECT_EQ(CeilDivide(-7, 2), -3);
    EXPECT_EQ(FloorDivide(7, 2), 3);
    EXPECT_EQ(CeilDivide(7, 2), 4);
    EXPECT_FLOAT_EQ(RadiansToDegrees(DegreesToRadians(-90.0f)), -90.0f);
}
