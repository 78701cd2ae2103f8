#pragma once
// The Options dialog (718): flight path colour and width, redraw interval and antialiasing.

#include "app/ui/HelpDialog.h"

#include <cstdint>

class ColorSwatch;
class QLineEdit;

class OptionsDialog : public CHelpDialog {
    Q_OBJECT
public:
    OptionsDialog(OrvantisApp& app, QWidget* parent = nullptr);

    QLineEdit* widthEdit() const { return width; }
    QLineEdit* redrawEdit() const { return redraw; }
    QLineEdit* antialiasingEdit() const { return antialiasing; }
    ColorSwatch* swatch() const { return colourSwatch; }
    uint32_t colour() const { return pathColour; }

    // Browse (316): the colour chooser.
    void browseColour();
    // OK: takes the values, checks them (message, focus, selection on the first failure), stores them.
    void onOk();

private:
    QLineEdit* edit(int id);

    uint32_t pathColour = 0;
    ColorSwatch* colourSwatch;
    QLineEdit* width;
    QLineEdit* redraw;
    QLineEdit* antialiasing;
};
