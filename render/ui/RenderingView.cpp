#include "render/ui/RenderingView.h"

#include "app/Progress.h"
#include "app/SettingsDefaults.h"
#include "app/ui/ChildFrame.h"
#include "app/ui/Commands.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "app/ui/UiRegistry.h"
#include "render/FlightPlayback.h"
#include "render/RenderRun.h"
#include "render/ui/PlaybackPanel.h"
#include "render/ui/ProfileView.h"
#include "res/StringTable.h"
#include "scene/SceneParams.h"
#include "scene/ui/OrvantisView.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <thread>

namespace {

HeldTemplateRegistration renderTemplate{
    104, [](OrvantisApp& app) -> CDocument* { return new CRenderingDoc(app); },
    [](CDocument* doc) -> CView* { return new CRenderingView(static_cast<CTGADocument*>(doc)); }};

// The renderer asks for the event queue to be drained once per grid cell. Draining it costs far more than
// a cell, so events are let through only when a few milliseconds have passed since the last time; the
// window stays as responsive as the eye can tell and the renderer keeps nearly all of its speed.
constexpr std::chrono::milliseconds kPumpInterval{5};

} // namespace

// ---- the output size of the next render ---------------------------------------------------------------

RenderOutputSize& RenderOutputSize::of(OrvantisApp& app) {
    static const QString name = QStringLiteral("RenderOutputSize");
    if (auto* found = app.findChild<RenderOutputSize*>(name, Qt::FindDirectChildrenOnly)) return *found;
    auto* size = new RenderOutputSize(&app);
    size->setObjectName(name);
    return *size;
}

// ---- the document -------------------------------------------------------------------------------------

CRenderingDoc::CRenderingDoc(OrvantisApp& app) : CTGADocument(app) {}

bool CRenderingDoc::SaveModified() {
    if (!image().isBusy()) return CTGADocument::SaveModified();
    // A render is drawing into the picture: the document does not close now, whatever the answer.
    if (app().platform().message(LoadString(IDS_CANCEL_RENDERING_QUESTION), MsgIcon::Information,
                                 MsgButtons::YesNo) == MsgAnswer::Yes)
        if (auto* view = dynamic_cast<CRenderingView*>(firstView())) view->SetStopFlag();
    return false;
}

// ---- what the run reports to the window ---------------------------------------------------------------

// The run's progress, stop flag and event pump.
class CRenderingView::Control : public Progress {
public:
    // The first request of a run always lets events through (a Preview frame drains the queue before it
    // draws); later ones only after the interval.
    explicit Control(CRenderingView& v) : view(v) {}

    void report(int percent) override { view.showProgress(percent); }
    bool stopRequested() const override { return view.stopFlag; }
    void pump() override {
        ++view.cells;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastPump < view.pumpInterval) return;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        lastPump = std::chrono::steady_clock::now();
    }

private:
    CRenderingView& view;
    std::chrono::steady_clock::time_point lastPump{};
};

class CRenderingView::Observer : public RenderObserver {
public:
    explicit Observer(CRenderingView& v) : view(v) {}

    void frameStarting(int, const std::string& outputName) override {
        if (view.renderMode == RenderMode::Preview || outputName.empty() || view.sinkOnly) return;
        // The window is titled with the frame's file, which also enters the recent-file list.
        if (CDocument* doc = view.GetDocument()) doc->SetPathName(outputName);
    }
    void pictureChanged() override { view.repaintNow(); }
    void wireModel(const std::vector<WireSegment>& segments) override {
        view.wire = segments;
        view.repaintNow();
    }
    void frameRecorded(int index, const RecorderRow& row) override {
        view.profileRows.push_back({index, row});
    }

private:
    CRenderingView& view;
};

// ---- the view ---------------------------------------------------------------------------------------------

CRenderingView::CRenderingView(CTGADocument* doc, QWidget* parent)
    : CTGAView(doc, parent), pumpInterval(kPumpInterval) {
    setObjectName(QStringLiteral("RenderingView"));
    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("RedrawTimer"));
    connect(timer, &QTimer::timeout, this, &CRenderingView::onTimer);
}

CRenderingView::~CRenderingView() {
    if (form) form->renderWindowOpen = 0;
}

void CRenderingView::OnInitialUpdate() {
    CTGADocument* doc = GetImageDocument();
    const RenderOutputSize& size = RenderOutputSize::of(doc->app());
    if (size.width > 0 && size.height > 0) doc->image().CreateImage(size.width, size.height);
    CTGAView::OnInitialUpdate();
}

void CRenderingView::AttachForm(COrvantisView* f) {
    form = f;
}

QLabel* CRenderingView::progressPane() const {
    CDocument* doc = GetDocument();
    CMainFrame* main = doc ? doc->app().mainFrame() : nullptr;
    if (!main) return nullptr;
    return main->statusBar()->findChild<QLabel*>(QStringLiteral("Pane%1").arg(cmd::PaneProgress));
}

void CRenderingView::showProgress(int percent) {
    // The pane is rewritten only when the number changes: the renderer reports once per row.
    if (percent == shownPercent) return;
    shownPercent = percent;
    if (CDocument* doc = GetDocument())
        if (CMainFrame* main = doc->app().mainFrame())
            main->setPaneText(cmd::PaneProgress,
                              QString::fromLatin1(FormatString(IDS_PROGRESS_FORMAT, percent)));
}

QSize CRenderingView::fittedFrameSize() const {
    const QSize picture = GetImageDocument() ? GetImageDocument()->documentSize() : QSize(1, 1);
    const ChildFrame* f = frame();
    const QSize decoration = f ? f->size() - size() : QSize();
    const QMargins bar = viewportMargins();
    return picture + QSize(2 * frameWidth(), 2 * frameWidth()) + decoration +
           QSize(bar.left() + bar.right(), bar.top() + bar.bottom());
}

void CRenderingView::fitFrameToPicture() {
    ChildFrame* f = frame();
    // Maximised windows stay so (restoring one would restore every window of the area); the picture
    // scrolls in them.
    if (!f || f->isMaximized()) return;
    f->resize(fittedFrameSize());
    f->keepInsideArea();
}

void CRenderingView::repaintNow() {
    viewport()->repaint();
}

void CRenderingView::drawPicture(QPainter& painter) {
    ++paints;
    if (!playerImage.isNull()) {
        // The player's shaded frame, smaller than the picture, fills the picture's place.
        painter.save();
        painter.setTransform(pictureTransform(), true);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(GetImageDocument()->documentSize())), playerImage);
        painter.restore();
        return;
    }
    CTGAView::drawPicture(painter);
    if (wire.empty()) return;
    painter.save();
    painter.setTransform(pictureTransform(), true);
    // Lines that leave the picture end at its edge (a maximised window shows more than the picture).
    if (const CTGADocument* doc = GetImageDocument())
        painter.setClipRect(QRect(QPoint(0, 0), doc->documentSize()));
    // The crosses with the default black pen, the stalks with a blue one, one pixel wide.
    const QPen black(Qt::black, 0);
    const QPen blue(QColor(0, 0, 255), 0);
    for (const WireSegment& s : wire) {
        painter.setPen(s.kind == WireSegment::Stalk ? blue : black);
        painter.drawLine(s.x0, s.y0, s.x1, s.y1);
    }
    painter.restore();
}

void CRenderingView::onTimer() {
    if (stopFlag) {
        timer->stop();
        return;
    }
    repaintNow();
}

bool CRenderingView::CanCloseRendering() {
    if (!running) return true;
    RequestStop();
    return false;
}

void CRenderingView::RequestStop() {
    CDocument* doc = GetDocument();
    // A finished run has nothing to cancel.
    if (!doc || !running) return;
    if (doc->app().platform().message(LoadString(IDS_CANCEL_RENDERING_QUESTION), MsgIcon::Information,
                                      MsgButtons::YesNo) == MsgAnswer::Yes)
        stopFlag = true;
}

void CRenderingView::RunJob(const std::string& jobFile, RenderMode mode, const std::string& sceneFile,
                            FrameSink* sink) {
    CTGADocument* doc = GetImageDocument();
    OrvantisApp& app = doc->app();
    QPointer<CRenderingView> self(this);

    renderMode = mode;
    stopFlag = false;
    wire.clear();
    profileRows.clear();
    playerImage = QImage();
    delete panel;
    panel = nullptr;
    setViewportMargins(0, 0, 0, 0);
    if (mode == RenderMode::Preview) previewJob = std::make_unique<CSceneParams>(ReadJobValues(jobFile));
    updateScrollSizes();
    fitFrameToPicture();
    doc->SetModifiedFlag(true);
    if (mode != RenderMode::Preview) timer->start(settings::ReadRedrawInterval(app.settings()));
    running = true;
    cells = 0;
    shownPercent = -1;
    if (QLabel* pane = progressPane()) pane->setEnabled(true);

    Control control(*this);
    Observer observer(*this);
    RunOptions options;
    options.mode = mode;
    options.sceneFile = sceneFile;
    options.frameSink = sink;
    options.writeFrameFiles = sink == nullptr;
    // The frames' names are files that are not written: they neither title the window nor enter the
    // recent-file list.
    sinkOnly = sink != nullptr;
    // Raw and Final share each frame over the processor's cores, by picture rows (the same bytes).
    options.rowThreads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const RunResult result =
        ::RunJob(jobFile, doc->image(), options, app.platform(), app.settings(), control, observer);
    if (self) endRun(result);
}

void CRenderingView::endRun(const RunResult& result) {
    timer->stop();
    running = false;
    CDocument* doc = GetDocument();
    if (doc) doc->SetModifiedFlag(false);
    if (form) form->renderWindowOpen = 0;
    if (QLabel* pane = progressPane()) {
        // A disabled pane shows nothing.
        pane->setEnabled(false);
        pane->clear();
    }
    shownPercent = -1;
    repaintNow();
    if ((stopFlag || result.closeWindow) && doc) {
        doc->OnCloseDocument();
        return;
    }
    if (doc && result.outcome == RunOutcome::Completed)
        addPanel(doc->app().platform(), settings::ReadAntialiasing(doc->app().settings()));
}

void CRenderingView::addPanel(Platform& platform, int antialiasing) {
    std::unique_ptr<FlightPlayback> playback;
    if (renderMode == RenderMode::Preview && previewJob && profileRows.size() >= 2)
        playback = FlightPlayback::Load(*previewJob, platform, antialiasing);
    previewJob.reset();
    if (!playback && profileRows.size() < 2) return;
    panel = new PlaybackPanel(*this, platform, std::move(playback), std::move(profileRows));
    profileRows.clear();
    setViewportMargins(0, 0, 0, panel->sizeHint().height());
    placePanel();
    panel->show();
    // The window grows by the bar (as far as there is room), unless it fills the workspace.
    fitFrameToPicture();
}

void CRenderingView::placePanel() {
    if (!panel) return;
    const int bar = viewportMargins().bottom();
    panel->setGeometry(0, height() - bar, width(), bar);
    if (ProfileView* profile = panel->profileView()) profile->setGeometry(0, 0, width(), height() - bar);
}

void CRenderingView::resizeEvent(QResizeEvent* event) {
    CTGAView::resizeEvent(event);
    placePanel();
}

void CRenderingView::showPlayerFrame(std::vector<WireSegment> segments, QImage shaded) {
    wire = std::move(segments);
    playerImage = std::move(shaded);
    repaintNow();
}
