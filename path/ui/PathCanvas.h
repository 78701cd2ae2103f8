#pragma once
// What the flight path window shows, kept as one picture the size of the map: the map itself, the point
// markers on it and the curve, drawn the way a window device context would draw them. The view paints this
// picture at its scroll offset; the editor changes it in place:
// - a marker is a circle of radius 10 filled dark red with its index "%02d" in cyan; erasing it copies the
//   same square back from the map;
// - the curve is drawn with NOT-XOR (pixel = NOT (pen XOR pixel)), so drawing it a second time takes it
//   away again and leaves the picture exactly as it was. The editor hides it before it changes points and
//   shows it afterwards;
// - the markers stay on top: the curve leaves the pixels of the markers alone, so a wide curve does not
//   cover their numbers.

#include "path/PathText.h"

#include <QImage>
#include <QRect>

class PathCanvas {
public:
    // Starts over from the map (top row first); markers and curve are gone.
    void setMap(const QImage& map);
    const QImage& map() const { return mapImage; }
    // The picture as it is shown.
    const QImage& screen() const { return screenImage; }
    bool hasMap() const { return !mapImage.isNull(); }
    QSize size() const { return mapImage.size(); }
    bool contains(int x, int y) const {
        return x >= 0 && y >= 0 && x < mapImage.width() && y < mapImage.height();
    }

    // Each returns the part of the picture it changed.
    QRect drawMarker(int x, int y, int index);
    QRect eraseMarker(int x, int y);
    // Draws the curve through points with NOT-XOR in the pen's colour and width (nothing for two points or
    // fewer). Calling it again with the same points and pen restores the picture.
    QRect drawCurve(const std::vector<MapPoint>& points, const FlightPathPen& pen);

    // Map, every marker in list order, then the curve.
    void redrawAll(const std::vector<MapPoint>& points, const FlightPathPen& pen);

    static QRect markerRect(int x, int y) { return QRect(x - 10, y - 10, 22, 22); }

private:
    QImage mapImage;    // Format_RGB32
    QImage screenImage; // Format_RGB32
    QImage markerMask;  // Format_Grayscale8, the size of the map: non-zero where a marker is drawn
};
