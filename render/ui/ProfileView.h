#pragma once
// The flight profile of a run, painted from the same layout the command line writes as SVG.

#include "render/FlightProfile.h"

#include <QWidget>

#include <vector>

class QPainter;

class ProfileView : public QWidget {
    Q_OBJECT
public:
    explicit ProfileView(std::vector<ProfileSample> samples, QWidget* parent = nullptr);

    const std::vector<ProfileSample>& samples() const { return profile; }
    // Paints picture with painter (also used for printing or saving the view as an image).
    static void paintPlot(QPainter& painter, const PlotPicture& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<ProfileSample> profile;
};
