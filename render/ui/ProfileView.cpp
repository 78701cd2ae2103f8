#include "render/ui/ProfileView.h"

#include <QPainter>
#include <QPainterPath>

namespace {
QColor toQColor(const PlotColour& c) {
    return QColor(c.r, c.g, c.b);
}
} // namespace

ProfileView::ProfileView(std::vector<ProfileSample> samples, QWidget* parent)
    : QWidget(parent), profile(std::move(samples)) {
    setObjectName(QStringLiteral("ProfileView"));
    setAutoFillBackground(false);
}

void ProfileView::paintPlot(QPainter& p, const PlotPicture& picture) {
    p.fillRect(QRect(0, 0, picture.width, picture.height), Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    for (const PlotLine& line : picture.lines) {
        if (line.points.empty()) continue;
        QPolygonF polygon;
        for (const PlotPoint& pt : line.points) polygon << QPointF(pt.x, pt.y);
        p.setPen(QPen(toQColor(line.colour), line.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(polygon);
    }
    QFont font = p.font();
    font.setPixelSize(12);
    p.setFont(font);
    const QFontMetricsF metrics(font);
    for (const PlotText& t : picture.texts) {
        const QString text = QString::fromStdString(t.text);
        double x = t.at.x;
        if (t.anchor == PlotText::Middle) x -= metrics.horizontalAdvance(text) / 2;
        if (t.anchor == PlotText::End) x -= metrics.horizontalAdvance(text);
        p.setPen(toQColor(t.colour));
        p.drawText(QPointF(x, t.at.y), text);
    }
}

void ProfileView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintPlot(p, LayoutProfile(profile, width(), height()));
}
