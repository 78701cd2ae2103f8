// Render to Video of a scene window: the scene's frames rendered as Final renders them, in a rendering
// window, but handed straight to the video writer (the same sink `orvantis-cli render --video` uses)
// instead of being written as frame files. The frame rate and quality are the scene's own fields.

#ifdef ORVANTIS_HAVE_VIDEO

#include "app/ui/Document.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "res/StringTable.h"
#include "scene/ui/OrvantisView.h"
#include "scene/ui/RenderLaunch.h"
#include "video/VideoSink.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// The video's file: proposed beside the scene and named after it.
std::string chooseVideoFile(COrvantisView& form) {
    OrvantisApp& app = form.GetDocument()->app();
    QFileDialog dlg(app.mainFrame(), QString::fromLatin1(LoadString(IDS_VIDEO_TITLE)));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    const QStringList filters{QString::fromLatin1(LoadString(IDS_VIDEO_FILTER_MP4)),
                              QString::fromLatin1(LoadString(IDS_VIDEO_FILTER_WEBM))};
    dlg.setNameFilters(filters);
    dlg.setDefaultSuffix(QStringLiteral("mp4"));
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg, filters](const QString& f) {
        dlg.setDefaultSuffix(f == filters[1] ? QStringLiteral("webm") : QStringLiteral("mp4"));
    });
    const std::string scenePath = form.GetDocument()->GetPathName();
    if (!scenePath.empty()) {
        const QFileInfo scene(QString::fromStdString(scenePath));
        dlg.setDirectory(scene.absolutePath());
        dlg.selectFile(scene.completeBaseName() + QStringLiteral(".mp4"));
    }
    if (app.runDialog(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return QFileInfo(dlg.selectedFiles().front()).absoluteFilePath().toStdString();
}

void launchVideo(COrvantisView& form) {
    const std::string path = chooseVideoFile(form);
    if (path.empty()) return;
    Platform& platform = form.GetDocument()->app().platform();
    auto tell = [&](const std::string& error) {
        platform.message(FormatString(IDS_VIDEO_FAILED, path, error), MsgIcon::Stop, MsgButtons::Ok);
    };
    video::VideoSink sink(tell);
    video::VideoSettings settings;
    settings.fps = form.scene.VideoFps;
    settings.crf = form.scene.VideoCrf;
    // The encoder is set up before any frame is rendered: a name it cannot write fails here.
    if (const std::string error = sink.open(path, form.scene.SizeX, form.scene.SizeY, settings);
        !error.empty()) {
        tell(error);
        return;
    }
    LaunchRender(form, RenderMode::Final, &sink);
    // A stopped run ends the video after the frames done so far; one that made no frame leaves no file.
    sink.end();
}

struct RegisterVideoLauncher {
    RegisterVideoLauncher() { COrvantisView::setVideoLauncher(launchVideo); }
} registerVideoLauncher;

} // namespace

#endif
