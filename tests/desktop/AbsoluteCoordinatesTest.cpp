// Absolute input coordinates on the desktop build: a point the cursor program
// forms for Windows CE lands on the same pixel under desktop Windows's
// truncating mapping.
#include "../../platform/desktop/include/AbsoluteCoordinates.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Desktop Windows: pixel = coordinate * size / 65536, truncated.
long DesktopPixel(unsigned long coordinate, long size) {
    return static_cast<long>((static_cast<unsigned long long>(coordinate) * size) >> 16);
}

} // namespace

TEST(AbsoluteCoordinates, EveryPixelOfCommonScreensLandsWhereTheDeviceWouldPutIt) {
    const long sizes[] = {1, 3, 7, 240, 320, 480, 640, 768, 800, 1024, 1080, 1280, 1920, 4096};
    for (long size : sizes) {
        SCOPED_TRACE("size " + std::to_string(size));
        long offByOne = 0;
        for (long p = 0; p < size; ++p) {
            unsigned long formed = static_cast<unsigned long>(p * 65536 / size);
            ASSERT_EQ(NearestPixel(formed, size), p);
            unsigned long centre = PixelCentreCoordinate(p, size);
            ASSERT_LE(centre, 65535u);
            ASSERT_EQ(DesktopPixel(centre, size), p) << "pixel " << p;
            if (DesktopPixel(formed, size) != p)
                ++offByOne;
        }
        // Without the stand-in most taps of a screen whose size does not
        // divide 65536 would land one pixel off.
        if (size == 240 || size == 1080) {
            EXPECT_GT(offByOne, size / 2);
        }
    }
}

TEST(AbsoluteCoordinates, OutOfRangeInputsStayOnTheScreen) {
    struct Case {
        const char *what;
        unsigned long coordinate;
        long size;
        long pixel;
    };
    const Case cases[] = {
        {"zero", 0, 240, 0},
        {"last coordinate", 65535, 240, 239},
        {"past the range", 70000, 240, 239},
        {"largest value", 0xFFFFFFFFul, 320, 319},
        {"no screen", 1000, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(NearestPixel(c.coordinate, c.size), c.pixel);
    }
    EXPECT_EQ(PixelCentreCoordinate(-4, 240), PixelCentreCoordinate(0, 240));
    EXPECT_EQ(PixelCentreCoordinate(500, 240), PixelCentreCoordinate(239, 240));
    EXPECT_EQ(PixelCentreCoordinate(0, 0), 0u);
}
