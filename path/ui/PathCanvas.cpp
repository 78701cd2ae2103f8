#include "path/ui/PathCanvas.h"

#include "app/CFormat.h"
#include "path/ui/PathCurve.h"

#include <QPainter>

#include <algorithm>

void PathCanvas::setMap(const QImage& map) {
    mapImage = map.convertToFormat(QImage::Format_RGB32);
    screenImage = mapImage.copy();
    markerMask = QImage(mapImage.size(), QImage::Format_Grayscale8);
    markerMask.fill(0);
}

QRect PathCanvas::drawMarker(int x, int y, int index) {
    if (screenImage.isNull()) return {};
    const QRect box(x - 10, y - 10, 20, 20);
    {
        QPainter m(&markerMask);
        m.setRenderHint(QPainter::Antialiasing, false);
        m.setPen(QPen(Qt::white, 0));
        m.setBrush(Qt::white);
        m.drawEllipse(box);
    }
    QPainter p(&screenImage);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(QColor(128, 0, 0));
    p.drawEllipse(box);
    p.setPen(QColor(0, 255, 255));
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    p.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(cformat("%02d", index)));
    return markerRect(x, y);
}

QRect PathCanvas::eraseMarker(int x, int y) {
    QRect r = markerRect(x, y).intersected(screenImage.rect());
    if (r.isEmpty()) return {};
    QPainter p(&screenImage);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(r.topLeft(), mapImage, r);
    QPainter m(&markerMask);
    m.fillRect(r, Qt::black);
    return r;
}

QRect PathCanvas::drawCurve(const std::vector<MapPoint>& points, const FlightPathPen& pen) {
    std::vector<MapPoint> line = PathCurvePolyline(points);
    if (line.size() < 2 || screenImage.isNull()) return {};

    // The pixels the pen covers, found by drawing the line into a mask over the part of the picture it
    // touches; each covered pixel is then combined with the pen colour once, so the second drawing undoes
    // the first exactly, also where the line crosses itself.
    int minX = line[0].x, maxX = line[0].x, minY = line[0].y, maxY = line[0].y;
    for (const MapPoint& m : line) {
        minX = std::min(minX, m.x), maxX = std::max(maxX, m.x);
        minY = std::min(minY, m.y), maxY = std::max(maxY, m.y);
    }
    const int margin = pen.width / 2 + 2;
    QRect bounds = QRect(QPoint(minX, minY), QPoint(maxX, maxY)).adjusted(-margin, -margin, margin, margin);
    bounds = bounds.intersected(screenImage.rect());
    if (bounds.isEmpty()) return {};

    QImage mask(bounds.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.translate(-bounds.left(), -bounds.top());
        QPen maskPen(Qt::white, pen.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(maskPen);
        for (size_t i = 1; i < line.size(); ++i)
            p.drawLine(QPoint(line[i - 1].x, line[i - 1].y), QPoint(line[i].x, line[i].y));
    }

    const QRgb penRgb = qRgb(pen.red(), pen.green(), pen.blue());
    for (int y = 0; y < bounds.height(); ++y) {
        const uchar* m = mask.constScanLine(y);
        const uchar* marker = markerMask.constScanLine(bounds.top() + y) + bounds.left();
        auto* row = reinterpret_cast<QRgb*>(screenImage.scanLine(bounds.top() + y)) + bounds.left();
        for (int x = 0; x < bounds.width(); ++x)
            if (m[x] && !marker[x]) row[x] = 0xFF000000u | (~(penRgb ^ row[x]) & 0x00FFFFFFu);
    }
    return bounds;
}

void PathCanvas::redrawAll(const std::vector<MapPoint>& points, const FlightPathPen& pen) {
    screenImage = mapImage.copy();
    markerMask.fill(0);
    int index = 0;
    for (const MapPoint& m : points) drawMarker(m.x, m.y, index++);
    drawCurve(points, pen);
}
