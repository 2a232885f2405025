// The pressure curve: the documented points of the curve and its behaviour
// on pressures and settings no device or settings file should produce.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "engine/pressure_curve.h"

namespace {

TEST(PressureCurve, HardnessSetsTheExponent) {
    EXPECT_FLOAT_EQ(PressureExponent(0), 0.25f);
    EXPECT_FLOAT_EQ(PressureExponent(25), 0.4f);
    EXPECT_FLOAT_EQ(PressureExponent(50), 1.0f);
    EXPECT_FLOAT_EQ(PressureExponent(75), 2.5f);
    EXPECT_FLOAT_EQ(PressureExponent(100), 4.0f);
}

TEST(PressureCurve, DiameterAtSoftLinearAndHardSettings) {
    // A quarter of full pressure with a 100-pixel pen.
    EXPECT_NEAR(PressureDiameter(256, 1024, PressureExponent(0), 100), 70.710678, 1e-4);
    EXPECT_FLOAT_EQ(PressureDiameter(256, 1024, PressureExponent(50), 100), 25.0f);
    EXPECT_FLOAT_EQ(PressureDiameter(256, 1024, PressureExponent(100), 100), 0.390625f);
    for (int32_t hardness : {0, 13, 50, 87, 100}) {
        float exponent = PressureExponent(hardness);
        EXPECT_EQ(PressureDiameter(1024, 1024, exponent, 50), 50.0f) << hardness;
        EXPECT_EQ(PressureDiameter(65535, 65535, exponent, 1000), 1000.0f) << hardness;
        EXPECT_EQ(PressureDiameter(0, 1024, exponent, 50), 0.0f) << hardness;
    }
    // Hardness 50 is proportional.
    for (uint32_t p = 0; p <= 1024; p += 64) {
        EXPECT_NEAR(PressureDiameter(p, 1024, 1.0f, 300), 300.0 * p / 1024, 1e-3) << p;
    }
}

TEST(PressureCurve, BadValuesGiveUsableDiameters) {
    float linear = PressureExponent(50);
    // A device without a pressure range draws any touch at full size.
    EXPECT_EQ(PressureDiameter(1, 0, linear, 40), 40.0f);
    EXPECT_EQ(PressureDiameter(0, 0, linear, 40), 0.0f);
    // More than full pressure (a negative one read as unsigned) is full.
    EXPECT_EQ(PressureDiameter(5000, 1024, linear, 40), 40.0f);
    EXPECT_EQ(PressureDiameter(static_cast<uint32_t>(-3), 1024, linear, 40), 40.0f);
    // Zero and negative pen sizes draw nothing.
    EXPECT_EQ(PressureDiameter(512, 1024, linear, 0), 0.0f);
    EXPECT_EQ(PressureDiameter(512, 1024, linear, -50), 0.0f);
    // Settings far out of range.
    EXPECT_LE(PressureDiameter(1024, 1024, linear, INT32_MAX), kMaxBrushDiameter);
    for (int32_t hardness : {INT32_MIN, -1000, 1000, INT32_MAX}) {
        float exponent = PressureExponent(hardness);
        EXPECT_TRUE(std::isfinite(exponent) && exponent > 0) << hardness;
        for (uint32_t p : {0u, 1u, 512u, 1024u, UINT32_MAX}) {
            float d = PressureDiameter(p, 1024, exponent, 50);
            EXPECT_TRUE(d >= 0.0f && d <= 50.0f) << hardness << " " << p << " " << d;
        }
    }
}

} // namespace
