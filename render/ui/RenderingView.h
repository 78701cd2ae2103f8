#pragma once
// CRenderingView: the window in which a render job runs and its frames appear. It is an image view on the
// picture being rendered; RunJob drives the core render run (the same run orvantis-cli render uses) on the
// user-interface thread and keeps the program usable by letting pending events through while the renderer
// works. A timer repaints the growing picture, the main window's progress pane shows the percentage of the
// frame, and "Stop rendering" ends the run after a question.
//
// After the run the window shows the last frame; a stopped run, and a mask of the wrong size, close it.
// The window is fitted to the picture as far as the main window has room; a larger picture scrolls.
// A run that ends whole gets a bar under the picture (render/ui/PlaybackPanel.h): after a Preview a player
// of its frames, after a flight of several frames the flight profile as a second tab.

#include "image/ui/TGADocument.h"
#include "image/ui/TGAView.h"
#include "render/FlightProfile.h"
#include "render/WireModel.h"
#include "renderer/RenderMode.h"

#include <QPointer>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class COrvantisView;
class CSceneParams;
class PlaybackPanel;
class FrameSink;
class QLabel;
class QTimer;
struct RunResult;

// The output size of the render about to be launched. The launch stores it before it creates the render
// document, whose view makes the picture of that size when it is first updated. One per application: it is
// a child object of the application object.
class RenderOutputSize : public QObject {
    Q_OBJECT
public:
    int width = 0;
    int height = 0;
    static RenderOutputSize& of(OrvantisApp& app);

private:
    explicit RenderOutputSize(QObject* parent) : QObject(parent) {}
};

// The document of a rendering window: the picture. While a render draws into it, the question whether to
// close it is "Do you really want to cancel the rendering process?"; Yes stops the run without asking again.
class CRenderingDoc : public CTGADocument {
    Q_OBJECT
public:
    explicit CRenderingDoc(OrvantisApp& app);
    bool SaveModified() override;
};

class CRenderingView : public CTGAView {
    Q_OBJECT
public:
    explicit CRenderingView(CTGADocument* doc, QWidget* parent = nullptr);
    ~CRenderingView() override;

    // The picture is made with the output size the launch stored (24 bits per pixel).
    void OnInitialUpdate() override;

    // The scene form that launched the run (not owned). Its render-window flag is cleared when the run ends
    // and when this window goes.
    void AttachForm(COrvantisView* form);
    COrvantisView* attachedForm() const { return form.data(); }

    // The whole run of jobFile in mode; returns when it has ended, the job file deleted by then. With a
    // sink (Render to Video) the frames go only to the sink, no frame files are written.
    void RunJob(const std::string& jobFile, RenderMode mode, const std::string& sceneFile = {},
                FrameSink* sink = nullptr);

    // "Stop rendering": asks the question while a run holds the window; Yes sets the stop flag.
    bool IsRenderingView() const override { return true; }
    bool IsRendering() const override { return running; }
    void RequestStop() override;
    // Sets the stop flag without asking (the question has been answered elsewhere).
    void SetStopFlag() { stopFlag = true; }
    bool stopRequested() const { return stopFlag; }

    // No close while a run holds the window: closing it asks whether to stop the run (Yes stops it, and
    // the stopped run closes the window).
    bool CanCloseRendering() override;
    bool isRunning() const { return running; }
    RenderMode mode() const { return renderMode; }

    // Preview: the current frame's wire model, drawn over the white picture.
    const std::vector<WireSegment>& wireSegments() const { return wire; }
    // The timer that repaints the picture during Raw and Final (inactive otherwise).
    const QTimer* redrawTimer() const { return timer; }
    // How many times the picture has been painted (the timer, frames, the window system).
    int paintCount() const { return paints; }
    // How many grid cells (Preview: frames) the run has passed so far: the points where it may let events
    // through.
    long long cellCount() const { return cells; }
    // Tests let events through at every cell (0), so that what they do during a run does not depend on its
    // speed.
    void setPumpInterval(std::chrono::milliseconds interval) { pumpInterval = interval; }

    // The frame window's size that shows the whole picture (its client area the picture's size).
    QSize fittedFrameSize() const;

    // The bar under the picture after a whole run (nullptr before, or when it has nothing to offer).
    PlaybackPanel* playbackPanel() const { return panel; }
    // The player shows a frame: its wire model, or a shaded picture drawn over the whole picture's area.
    void showPlayerFrame(std::vector<WireSegment> segments, QImage shaded);
    const QImage& playerPicture() const { return playerImage; }

protected:
    void drawPicture(QPainter& painter) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class Control;
    class Observer;
    friend class Control;
    friend class Observer;

    void fitFrameToPicture();
    void onTimer();
    void repaintNow();
    void showProgress(int percent);
    QLabel* progressPane() const;
    void endRun(const RunResult& result);
    void addPanel(Platform& platform, int antialiasing);
    void placePanel();

    QPointer<COrvantisView> form;
    RenderMode renderMode = RenderMode::Final;
    bool stopFlag = false;
    bool running = false;
    bool sinkOnly = false; // the frames go only to a sink (no frame files)
    int shownPercent = -1;
    int paints = 0;
    long long cells = 0;
    std::chrono::milliseconds pumpInterval;
    QTimer* timer = nullptr;
    std::vector<WireSegment> wire;
    std::unique_ptr<CSceneParams> previewJob; // the job of a Preview, for its player
    std::vector<ProfileSample> profileRows;   // the recorder's values of the run's frames
    PlaybackPanel* panel = nullptr;
    QImage playerImage;
};
