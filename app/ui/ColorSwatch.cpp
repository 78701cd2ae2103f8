#include "app/ui/ColorSwatch.h"

#include "app/SettingsDefaults.h"
#include "app/ui/OrvantisApp.h"

#include <QColorDialog>
#include <QPainter>

QColor colourToQColor(uint32_t c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

uint32_t qColorToColour(const QColor& c) {
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

ColorSwatch::ColorSwatch(QWidget* parent) : QWidget(parent) {
    setMinimumSize(16, 12);
}

void ColorSwatch::setColour(uint32_t c) {
    value = c;
    // Only the inner area (the rectangle shrunk by one pixel on each side) is redrawn.
    update(rect().adjusted(1, 1, -1, -1));
}

void ColorSwatch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor c = colourToQColor(value);
    p.setPen(QPen(c, 1));
    p.setBrush(c);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool chooseColour(OrvantisApp& app, QWidget* parent, uint32_t& colour) {
    const settings::CustomColors custom = settings::ReadCustomColors(app.settings());
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, colourToQColor(custom[static_cast<size_t>(i)]));
    QColorDialog dlg(colourToQColor(colour), parent);
    dlg.setOption(QColorDialog::DontUseNativeDialog);
    if (app.runDialog(dlg) != QDialog::Accepted) return false;
    colour = qColorToColour(dlg.selectedColor().isValid() ? dlg.selectedColor() : dlg.currentColor());
    settings::CustomColors back{};
    for (int i = 0; i < 16; ++i) back[static_cast<size_t>(i)] = qColorToColour(QColorDialog::customColor(i));
    settings::WriteCustomColors(app.settings(), back);
    return true;
}
