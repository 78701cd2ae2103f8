#include "render/ui/PlaybackPanel.h"

#include "app/Progress.h"
#include "render/ui/ProfileView.h"
#include "render/ui/RenderingView.h"
#include "res/StringTable.h"
#include "scene/ui/OrvantisView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <thread>

namespace {
QString text(StringId id) {
    return QString::fromUtf8(LoadString(id));
}
} // namespace

PlaybackPanel::PlaybackPanel(CRenderingView& v, Platform& platform, std::unique_ptr<FlightPlayback> flight,
                             std::vector<ProfileSample> samples)
    : QWidget(&v), view(v), playback(std::move(flight)), shadedFrame(platform) {
    setObjectName(QStringLiteral("PlaybackPanel"));
    setAutoFillBackground(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    const double rate = playback ? playback->framesPerSecond() : kPlaybackFramesPerSecond;
    framePacer = std::make_unique<FramePacer>(playback ? playback->frameCount() : 0, rate,
                                              [] { return std::chrono::steady_clock::now(); });

    if (samples.size() >= 2) {
        tabBar = new QTabBar(this);
        tabBar->setObjectName(QStringLiteral("RenderingTabs"));
        tabBar->setShape(QTabBar::RoundedSouth);
        tabBar->setDrawBase(false);
        tabBar->addTab(text(IDS_TAB_PICTURE));
        tabBar->addTab(text(IDS_TAB_PROFILE));
        row->addWidget(tabBar);
        profile = new ProfileView(std::move(samples), &view);
        profile->hide();
        connect(tabBar, &QTabBar::currentChanged, this, &PlaybackPanel::showTab);
    }
    if (playback) {
        playPause = new QToolButton(this);
        playPause->setObjectName(QStringLiteral("PlayButton"));
        playPause->setAutoRaise(true);
        connect(playPause, &QToolButton::clicked, this, [this] { framePacer->playing() ? pause() : play(); });
        slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QStringLiteral("Timeline"));
        slider->setRange(0, playback->frameCount() - 1);
        slider->setPageStep(std::max(1, playback->frameCount() / 10));
        connect(slider, &QSlider::valueChanged, this, &PlaybackPanel::seek);
        label = new QLabel(this);
        label->setObjectName(QStringLiteral("FrameLabel"));
        shadedCheck = new QCheckBox(text(IDS_PLAYER_SHADED), this);
        shadedCheck->setObjectName(QStringLiteral("ShadedBox"));
        shadedCheck->setToolTip(text(IDS_PLAYER_SHADED_TIP));
        connect(shadedCheck, &QCheckBox::toggled, this, &PlaybackPanel::setShaded);
        row->addWidget(playPause);
        row->addWidget(slider, 1);
        row->addWidget(label);
        row->addWidget(shadedCheck);
        timer = new QTimer(this);
        timer->setObjectName(QStringLiteral("PlayTimer"));
        // A few looks per frame: the pacer, not the timer, decides which frame is due.
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(std::max(1, static_cast<int>(250.0 / rate)));
        connect(timer, &QTimer::timeout, this, &PlaybackPanel::tick);
        // The run has shown its last frame; the player starts there.
        framePacer->seek(playback->frameCount() - 1);
        shown = framePacer->position();
    } else {
        row->addStretch(1);
    }
    updateControls();
}

PlaybackPanel::~PlaybackPanel() {
    delete profile.data();
}

void PlaybackPanel::setClock(FramePacer::Clock clock) {
    const int position = framePacer->position();
    framePacer = std::make_unique<FramePacer>(framePacer->frameCount(), framePacer->framesPerSecond(),
                                              std::move(clock));
    framePacer->seek(position);
}

void PlaybackPanel::play() {
    if (!playback) return;
    framePacer->play();
    if (framePacer->position() != shown) showFrame(framePacer->position());
    timer->start();
    updateControls();
}

void PlaybackPanel::pause() {
    if (!playback) return;
    framePacer->pause();
    timer->stop();
    updateControls();
}

void PlaybackPanel::seek(int position) {
    if (!playback) return;
    framePacer->seek(position);
    if (framePacer->position() != shown) showFrame(framePacer->position());
    updateControls();
}

void PlaybackPanel::tick() {
    if (!playback) return;
    if (framePacer->advance()) showFrame(framePacer->position());
    if (!framePacer->playing()) timer->stop();
    updateControls();
}

void PlaybackPanel::setShaded(bool on) {
    if (!playback || on == shadedMode) return;
    shadedMode = on;
    showFrame(framePacer->position());
    updateControls();
}

void PlaybackPanel::showFrame(int position) {
    shown = position;
    if (shadedMode) {
        const double scale = playback->FitScale(kShadedWidth, kShadedHeight);
        const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        NullProgress progress;
        playback->RenderShaded(position, scale, shadedFrame, threads, progress);
        // Rows bottom first, pixels blue-green-red: drawn upright by the view.
        const QImage stored(shadedFrame.pixelAt(0, 0), shadedFrame.GetWidth(), shadedFrame.GetHeight(),
                            static_cast<qsizetype>(CTGAFile::RowStride(shadedFrame.GetWidth())),
                            QImage::Format_BGR888);
        view.showPlayerFrame({}, stored.mirrored(false, true));
    } else {
        view.showPlayerFrame(playback->WireFrame(position), QImage());
    }
}

void PlaybackPanel::updateControls() {
    if (!playback) return;
    const bool playing = framePacer->playing();
    playPause->setText(text(playing ? IDS_PLAYER_PAUSE : IDS_PLAYER_PLAY));
    playPause->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    playPause->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const QSignalBlocker quiet(slider);
    slider->setValue(shown);
    label->setText(QString::fromStdString(
        FormatString(IDS_PLAYER_FRAME, playback->frame(shown).index, shown + 1, playback->frameCount())));
    const QSignalBlocker quietBox(shadedCheck);
    shadedCheck->setChecked(shadedMode);
}

void PlaybackPanel::showTab(int index) {
    if (!profile) return;
    profile->setVisible(index == 1);
    if (index == 1) profile->raise();
}
