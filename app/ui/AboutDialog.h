#pragma once
// The About box (dialog 700): the version line with the build's pointer width and processor number, and an
// 80 x 80 animation in its top-left corner that shows the next of nine frames every 50 ms.

#include "app/ui/HelpDialog.h"

#include <QBasicTimer>
#include <QPixmap>
#include <vector>

class QLabel;

class AboutDialog : public CHelpDialog {
    Q_OBJECT
public:
    AboutDialog(OrvantisApp& app, QWidget* parent = nullptr);

    QString versionLine() const;
    int currentFrame() const { return frame; }
    bool animating() const { return timer.isActive(); }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    std::vector<QPixmap> frames;
    QLabel* picture;
    QLabel* version;
    QBasicTimer timer;
    int frame = 0;
    int nextFrame = 0;
};
