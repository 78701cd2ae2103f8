#pragma once
// The colour swatch of the Options dialog and of the scene form (a rectangle filled and outlined in the
// colour), and the colour chooser both use: Qt's colour dialog with the sixteen custom colours read from
// and written back to "Colors" / "BGr00".."BGr15".

#include <QWidget>

#include <cstdint>

class OrvantisApp;

class ColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    uint32_t colour() const { return value; } // 0x00BBGGRR
    void setColour(uint32_t c);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    uint32_t value = 0;
};

QColor colourToQColor(uint32_t c);
uint32_t qColorToColour(const QColor& c);

// Shows the colour chooser with colour preselected. On confirmation colour takes the choice, the sixteen
// custom colours are written back (also when nothing changed) and the result is true.
bool chooseColour(OrvantisApp& app, QWidget* parent, uint32_t& colour);
