// The flight path window's picture: markers, the NOT-XOR curve and its polyline.
#include "path/ui/PathCanvas.h"
#include "path/ui/PathCurve.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

QImage filled(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A picture with some structure, so that a restore has something to get wrong.
QImage stripes(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb((x * 7) & 255, (y * 13) & 255, (x + y) & 255));
    return image;
}

const std::vector<MapPoint> square{{40, 40}, {160, 40}, {160, 160}, {40, 160}};

} // namespace

TEST(PathEditorCanvas, CurveIsAPolylineOnlyBeyondTwoPoints) {
    EXPECT_TRUE(PathCurvePolyline({}).empty());
    EXPECT_TRUE(PathCurvePolyline({{10, 10}, {50, 50}}).empty());
    EXPECT_TRUE(PathCurvePolyline({{7, 7}, {7, 7}, {7, 7}}).empty()); // a loop of length 0 ends at once

    std::vector<MapPoint> line = PathCurvePolyline(square);
    // The first position and 126 further steps; the step back to the start is not drawn.
    ASSERT_EQ(line.size(), 127u);
    EXPECT_EQ(line.front(), (MapPoint{40, 40}));
    EXPECT_NE(line.back(), line.front());
    // The curve passes through every point (a quarter of the loop each on a square).
    EXPECT_EQ(line[32], (MapPoint{160, 40}));
    for (const MapPoint& m : line) { // it bulges out a little between the corners, not more
        EXPECT_GT(m.x, 10);
        EXPECT_LT(m.x, 190);
    }
}

TEST(PathEditorCanvas, DrawingTheCurveTwiceRestoresThePicture) {
    ensureApplication();
    for (int width : {0, 1, 4, 10}) {
        PathCanvas canvas;
        canvas.setMap(stripes(200, 200));
        int i = 0;
        for (const MapPoint& m : square) canvas.drawMarker(m.x, m.y, i++);
        const QImage before = canvas.screen().copy();
        FlightPathPen pen{0x00C000C0, width};
        QRect changed = canvas.drawCurve(square, pen);
        EXPECT_FALSE(changed.isEmpty());
        EXPECT_NE(canvas.screen(), before) << "width " << width;
        canvas.drawCurve(square, pen);
        EXPECT_EQ(canvas.screen(), before) << "width " << width;
    }
    // On black, NOT (purple XOR black) is purple's complement.
    PathCanvas canvas;
    canvas.setMap(filled(200, 200, qRgb(0, 0, 0)));
    canvas.drawCurve(square, FlightPathPen{kDefaultFlightPathColor, 0});
    EXPECT_EQ(canvas.screen().pixel(40, 40), qRgb(63, 255, 63));
}

TEST(PathEditorCanvas, AWideCurveLeavesTheMarkersAndTheirNumbersReadable) {
    ensureApplication();
    PathCanvas canvas;
    canvas.setMap(stripes(200, 200));
    int i = 0;
    for (const MapPoint& m : square) canvas.drawMarker(m.x, m.y, i++);
    const QImage markers = canvas.screen().copy();
    const FlightPathPen pen{kDefaultFlightPathColor, 5};
    canvas.drawCurve(square, pen);
    EXPECT_NE(canvas.screen(), markers);
    for (const MapPoint& m : square)
        for (int y = -8; y <= 8; ++y)
            for (int x = -8; x <= 8; ++x)
                if (x * x + y * y <= 64) {
                    ASSERT_EQ(canvas.screen().pixel(m.x + x, m.y + y), markers.pixel(m.x + x, m.y + y))
                        << "marker at " << m.x << "," << m.y << " covered at offset " << x << "," << y;
                }
    canvas.drawCurve(square, pen);
    EXPECT_EQ(canvas.screen(), markers);
}

TEST(PathEditorCanvas, MarkersAreDarkRedCirclesWithCyanNumbersAndEraseCleanly) {
    ensureApplication();
    PathCanvas canvas;
    canvas.setMap(stripes(100, 100));
    canvas.drawMarker(50, 50, 7);
    const QImage& s = canvas.screen();
    // Dark red fill inside the circle, untouched outside its square.
    EXPECT_EQ(s.pixel(50, 50 - 8), qRgb(128, 0, 0));
    EXPECT_EQ(s.pixel(50, 50 + 8), qRgb(128, 0, 0));
    EXPECT_EQ(s.pixel(50 - 12, 50), canvas.map().pixel(50 - 12, 50));
    EXPECT_EQ(s.pixel(50 - 9, 50 - 9), canvas.map().pixel(50 - 9, 50 - 9)); // the corner stays map
    int cyan = 0;
    for (int y = 40; y <= 60; ++y)
        for (int x = 40; x <= 60; ++x)
            if (qRed(s.pixel(x, y)) < 64 && qGreen(s.pixel(x, y)) > 192 && qBlue(s.pixel(x, y)) > 192) ++cyan;
    EXPECT_GT(cyan, 5) << "the index is printed in cyan";

    canvas.eraseMarker(50, 50);
    EXPECT_EQ(canvas.screen(), canvas.map());
    // Markers at the picture's edge are clipped, not refused.
    canvas.drawMarker(0, 99, 3);
    canvas.eraseMarker(0, 99);
    EXPECT_EQ(canvas.screen(), canvas.map());
}
