#pragma once
// The bar under the picture of a rendering window once its run has ended. After a Preview it is a player:
// play and pause at the scene's frame rate, a timeline to go to any frame, the frame shown, and "Shaded",
// which plays the frames as Final renders them, at a reduced size, instead of the wire model. Nothing is
// written to disk. After a flight with more than one frame it also has the tabs "Picture" and
// "Flight profile" (the recorder's values over the frames).
//
// Frames are paced by a FramePacer on a clock that tests replace; the timer only asks it which frame is due.

#include "image/TGAFile.h"
#include "render/FlightPlayback.h"
#include "render/FlightProfile.h"
#include "render/FramePacer.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class CRenderingView;
class ProfileView;
class QCheckBox;
class QLabel;
class QSlider;
class QTabBar;
class QTimer;
class QToolButton;

class PlaybackPanel : public QWidget {
    Q_OBJECT
public:
    // playback: the Preview's flight (nullptr: no player); profile: the run's recorder values (fewer than
    // two: no profile tab).
    PlaybackPanel(CRenderingView& view, Platform& platform, std::unique_ptr<FlightPlayback> playback,
                  std::vector<ProfileSample> profile);
    ~PlaybackPanel() override;

    bool hasPlayer() const { return playback != nullptr; }
    const FlightPlayback* flight() const { return playback.get(); }
    const FramePacer& pacer() const { return *framePacer; }
    // Replaces the clock the frames are paced by (the position stays).
    void setClock(FramePacer::Clock clock);

    void play();
    void pause();
    // Shows the frame at position (0 ... frame count - 1), as the timeline does.
    void seek(int position);
    // What the timer does: shows the frame that is due, if it is another one.
    void tick();
    void setShaded(bool shaded);
    bool shaded() const { return shadedMode; }
    int shownPosition() const { return shown; }
    // The last shaded frame (its pixels as a run's frame stores them).
    const CTGAFile& shadedPicture() const { return shadedFrame; }

    QTabBar* tabs() const { return tabBar; }
    ProfileView* profileView() const { return profile; }
    QSlider* timeline() const { return slider; }
    QToolButton* playButton() const { return playPause; }
    QCheckBox* shadedBox() const { return shadedCheck; }
    QLabel* frameLabel() const { return label; }
    const QTimer* playTimer() const { return timer; }

    // The largest size a shaded frame is played at.
    static constexpr int kShadedWidth = 640, kShadedHeight = 360;

private:
    void showFrame(int position);
    void updateControls();
    void showTab(int index);

    CRenderingView& view;
    std::unique_ptr<FlightPlayback> playback;
    std::unique_ptr<FramePacer> framePacer;
    CTGAFile shadedFrame;
    bool shadedMode = false;
    int shown = -1;

    QTabBar* tabBar = nullptr;
    QPointer<ProfileView> profile; // a child of the view, over its picture
    QToolButton* playPause = nullptr;
    QSlider* slider = nullptr;
    QLabel* label = nullptr;
    QCheckBox* shadedCheck = nullptr;
    QTimer* timer = nullptr;
};
