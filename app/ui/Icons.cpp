#include "app/ui/Icons.h"

#include "app/ui/Commands.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace {
const char* themeName(int id) {
    switch (id) {
    case cmd::FileNew:
        return "document-new";
    case cmd::FileOpen:
        return "document-open";
    case cmd::FileSave:
        return "document-save";
    case cmd::EditCut:
        return "edit-cut";
    case cmd::EditCopy:
        return "edit-copy";
    case cmd::EditPaste:
        return "edit-paste";
    case cmd::FilePrint:
        return "document-print";
    case cmd::AppAbout:
        return "help-about";
    default:
        return nullptr; // Preview, Raw and Final are the program's own pictures
    }
}

void page(QPainter& p, QRectF r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawPath(path);
}

// A small mountain range, used by Preview (wire), Raw (coarse) and Final (shaded).
void mountains(QPainter& p, int style) {
    const QPolygonF ridge(
        {QPointF(0.5, 13.5), QPointF(4.5, 5.5), QPointF(7.5, 9.5), QPointF(10.5, 3.5), QPointF(15.5, 13.5)});
    if (style == 0) {
        p.setPen(QPen(QColor(0, 90, 0), 1));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(ridge);
        p.drawLine(QPointF(4.5, 5.5), QPointF(6.5, 13.5));
        p.drawLine(QPointF(10.5, 3.5), QPointF(9.0, 13.5));
        p.drawLine(QPointF(2.5, 9.5), QPointF(13.5, 9.5));
        return;
    }
    p.setBrush(QColor(90, 200, 255));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(0, 0, 16, 15));
    if (style == 1) {
        p.setBrush(QColor(110, 140, 60));
        p.setPen(QPen(QColor(60, 80, 30), 1));
        p.drawPolygon(ridge);
        return;
    }
    QLinearGradient g(0, 3, 0, 14);
    g.setColorAt(0, QColor(250, 250, 250));
    g.setColorAt(0.35, QColor(150, 120, 80));
    g.setColorAt(1, QColor(40, 120, 40));
    p.setBrush(g);
    p.setPen(QPen(QColor(50, 70, 30), 1));
    p.drawPolygon(ridge);
    p.setBrush(QColor(255, 220, 0));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(1, 1, 4, 4));
}
} // namespace

QPixmap drawToolbarPicture(int id) {
    QPixmap pm(16, 15);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (id) {
    case cmd::FileNew:
        page(p, QRectF(3.5, 0.5, 10, 14));
        break;
    case cmd::FileOpen:
        p.setPen(QPen(QColor(120, 90, 0), 1));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(0.5, 3.5, 14, 10));
        p.setBrush(QColor(255, 230, 130));
        p.drawPolygon(
            QPolygonF({QPointF(2.5, 6.5), QPointF(15.5, 6.5), QPointF(13.5, 13.5), QPointF(0.5, 13.5)}));
        break;
    case cmd::FileSave:
        p.setPen(QPen(QColor(20, 20, 90), 1));
        p.setBrush(QColor(60, 80, 170));
        p.drawRect(QRectF(0.5, 0.5, 14, 14));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 0.5, 8, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(3.5, 9.5, 8, 5));
        break;
    case cmd::EditCut:
        p.setPen(QPen(Qt::black, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(4, 1), QPointF(10, 10));
        p.drawLine(QPointF(12, 1), QPointF(6, 10));
        p.drawEllipse(QRectF(2, 9, 4, 4));
        p.drawEllipse(QRectF(10, 9, 4, 4));
        break;
    case cmd::EditCopy:
        page(p, QRectF(0.5, 0.5, 9, 10));
        page(p, QRectF(5.5, 4.5, 9, 10));
        break;
    case cmd::EditPaste:
        p.setPen(QPen(QColor(90, 60, 20), 1));
        p.setBrush(QColor(190, 140, 70));
        p.drawRect(QRectF(1.5, 1.5, 10, 13));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4.5, 0.5, 4, 3));
        page(p, QRectF(6.5, 5.5, 8, 9));
        break;
    case cmd::FilePrint:
        p.setPen(QPen(QColor(50, 50, 50), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 0.5, 9, 6));
        p.setBrush(QColor(180, 180, 180));
        p.drawRect(QRectF(0.5, 6.5, 15, 6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 10.5, 9, 4));
        break;
    case cmd::AppAbout:
        p.setPen(QPen(QColor(0, 0, 120), 1));
        p.setBrush(QColor(255, 255, 200));
        p.drawEllipse(QRectF(0.5, 0.5, 14, 14));
        p.setPen(QPen(QColor(0, 0, 160), 2));
        p.drawLine(QPointF(7.5, 6.5), QPointF(7.5, 12));
        p.drawPoint(QPointF(7.5, 3.5));
        break;
    case cmd::Preview:
        mountains(p, 0);
        break;
    case cmd::Raw:
        mountains(p, 1);
        break;
    case cmd::Final:
        mountains(p, 2);
        break;
    default:
        break;
    }
    return pm;
}

QIcon toolbarIcon(int id) {
    QIcon own(drawToolbarPicture(id));
    const char* name = themeName(id);
    if (!name) return own;
    return QIcon::fromTheme(QString::fromLatin1(name), own);
}

QPixmap aboutFrame(int i) {
    // A camera flying over a ridge: the terrain slides past while the sun stays.
    QPixmap pm(80, 80);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient sky(0, 0, 0, 80);
    sky.setColorAt(0, QColor(40, 90, 200));
    sky.setColorAt(0.6, QColor(170, 210, 250));
    p.fillRect(pm.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 90));
    p.drawEllipse(QPointF(62, 16), 8, 8);
    const double shift = i * (80.0 / 9.0);
    auto ridge = [&](double base, double amp, double freq, double phase, QColor c) {
        QPolygonF poly;
        poly << QPointF(0, 80);
        for (int x = 0; x <= 80; x += 2) {
            const double t = (x + shift * freq) / 80.0 * 2 * M_PI;
            poly << QPointF(x, base - amp * (0.6 * std::sin(t + phase) + 0.4 * std::sin(2 * t + 2 * phase)));
        }
        poly << QPointF(80, 80);
        p.setBrush(c);
        p.drawPolygon(poly);
    };
    ridge(48, 12, 1.0, 0.0, QColor(120, 130, 150));
    ridge(60, 10, 2.0, 1.3, QColor(80, 130, 60));
    ridge(72, 6, 3.0, 2.1, QColor(50, 100, 40));
    // The flight path and the camera.
    p.setPen(QPen(QColor(192, 0, 192), 1.5, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(4, 34), QPointF(76, 30));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(240, 240, 240));
    const double cx = 40, cy = 32 + 2 * std::sin(i * 2 * M_PI / 9);
    p.drawPolygon(QPolygonF({QPointF(cx - 8, cy), QPointF(cx + 8, cy - 1), QPointF(cx - 3, cy - 5)}));
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 79, 79));
    return pm;
}
