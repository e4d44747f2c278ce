#include <gtest/gtest.h>

#include <climits>

#include "render/CanvasMapping.h"

namespace {

CanvasMapping Isotropic(QSize window, QSize viewport) {
    CanvasMapping m;
    m.setMode(CanvasMapping::Mode::Isotropic);
    m.setWindowExt(window);
    m.setViewportExt(viewport);
    return m;
}

// The preview item: ribbon L x B millimetres into 463 x 70 pixels.
TEST(MappingTest, IsotropicShrinksTheLooserViewportExtent) {
    struct Case {
        int length, width;
        QSize viewportAfter;
        QPoint ribbonPixels;
    };
    const Case cases[] = {
        // Height-bound: 463 * (70 / 188) / (463 / 1111) = 413.67.
        {1000, 170, QSize(414, 70), QPoint(373, 63)},
        // Width-bound: 70 * (463 / 3555) / (70 / 166) = 21.62.
        {3200, 150, QSize(463, 22), QPoint(417, 20)},
    };
    for (const Case &c : cases) {
        const QSize window(c.length * 10 / 9, c.width * 10 / 9);
        const CanvasMapping m = Isotropic(window, QSize(463, 70));
        EXPECT_EQ(m.windowExt(), window);
        EXPECT_EQ(m.viewportExt(), c.viewportAfter) << c.length;
        EXPECT_EQ(m.logicalToDevice(QPoint(c.length, c.width)), c.ribbonPixels) << c.length;
    }

    // The adjustment happens at each setting, so the order counts: the window
    // extent goes first.
    CanvasMapping m;
    m.setMode(CanvasMapping::Mode::Isotropic);
    m.setViewportExt(QSize(463, 70));
    EXPECT_EQ(m.viewportExt(), QSize(70, 70));
}

TEST(MappingTest, ExtentsAreIgnoredInTextModeAndZeroIsRefused) {
    CanvasMapping m;
    EXPECT_TRUE(m.setWindowExt(QSize(1000, 1000)));
    EXPECT_EQ(m.windowExt(), QSize(1, 1));
    m.setWindowOrg(QPoint(5, 7));
    EXPECT_EQ(m.logicalToDevice(QPoint(5, 7)), QPoint(0, 0));

    m.setMode(CanvasMapping::Mode::Anisotropic);
    EXPECT_FALSE(m.setWindowExt(QSize(0, 10)));
    EXPECT_FALSE(m.setViewportExt(QSize(10, 0)));
    EXPECT_EQ(m.windowExt(), QSize(1, 1));
    EXPECT_TRUE(m.setWindowExt(QSize(10, 20)));
    m.setMode(CanvasMapping::Mode::Text);
    EXPECT_EQ(m.windowExt(), QSize(1, 1));
}

// A4 landscape at 600 dpi: 297 x 210 mm, 7017 x 4958 pixels, 1/8 mm units.
TEST(MappingTest, EighthMillimetreOn600Dpi) {
    CanvasMapping m = Isotropic(QSize(297 * 8, 210 * 8), QSize(7017, 4958));
    // 4958 * 2376 / 1680 = 7012.06: the width gives way.
    EXPECT_EQ(m.viewportExt(), QSize(7012, 4958));
    // 8 units = 1 mm = 23.61 pixels.
    EXPECT_EQ(m.logicalToDevice(QPoint(8, 8)), QPoint(24, 24));
    EXPECT_EQ(m.logicalToDevice(QPoint(2376, 1680)), QPoint(7012, 4958));
    EXPECT_EQ(m.deviceToLogical(QPoint(7017, 4958)), QPoint(2378, 1680));
    EXPECT_EQ(m.deviceToLogical(QPoint(1, 1)), QPoint(0, 0));  // 0.34
    EXPECT_EQ(m.deviceToLogical(QPoint(2, 2)), QPoint(1, 1));  // 0.68
    EXPECT_EQ(m.deviceToLogical(QPoint(-2, -2)), QPoint(-1, -1));

    // Origins: the viewport origin places a ribbon piece on the page.
    m.setViewportOrg(QPoint(100, 200));
    m.setWindowOrg(QPoint(-16, 0));
    EXPECT_EQ(m.logicalToDevice(QPoint(-16, 0)), QPoint(100, 200));
    EXPECT_EQ(m.deviceToLogical(QPoint(100, 200)), QPoint(-16, 0));
    const QPointF viaTransform = m.transform().map(QPointF(800, 400));
    const QPointF direct = m.logicalToDeviceF(QPointF(800, 400));
    EXPECT_NEAR(viaTransform.x(), direct.x(), 1e-9);
    EXPECT_NEAR(viaTransform.y(), direct.y(), 1e-9);
}

TEST(MappingTest, HalvesRoundUpBothWays) {
    CanvasMapping m;
    m.setMode(CanvasMapping::Mode::Anisotropic);
    m.setWindowExt(QSize(2, 2));
    m.setViewportExt(QSize(1, 1));
    EXPECT_EQ(m.logicalToDevice(QPoint(1, 3)), QPoint(1, 2));     // 0.5, 1.5
    EXPECT_EQ(m.logicalToDevice(QPoint(-1, -3)), QPoint(0, -1));  // -0.5, -1.5
    m.setWindowExt(QSize(1, 1));
    m.setViewportExt(QSize(2, 2));
    EXPECT_EQ(m.deviceToLogical(QPoint(1, -1)), QPoint(1, 0));
    // Far outside the device: saturated, not wrapped.
    EXPECT_EQ(m.logicalToDevice(QPoint(2000000000, -2000000000)), QPoint(INT_MAX, INT_MIN));
}

}  // namespace
