#include "app/ui/HelpSystem.h"

#include "app/ui/HelpWindow.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>

namespace HelpSystem {
namespace {
const QString resourceRoot = QStringLiteral(":/help");

QPointer<HelpWindow>& window() {
    static QPointer<HelpWindow> w;
    return w;
}

// Copies the pages from the resources into the user's cache folder; returns that folder.
QString unpackedGuide() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (dir.isEmpty()) dir = QDir::tempPath() + QStringLiteral("/orvantis");
    dir += QStringLiteral("/help");
    QDir().mkpath(dir);
    QDirIterator it(resourceRoot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        if (QFileInfo(src).isDir()) continue;
        const QString dst = dir + src.mid(resourceRoot.size());
        QDir().mkpath(QFileInfo(dst).absolutePath());
        QFile::remove(dst);
        QFile::copy(src, dst);
        QFile::setPermissions(dst, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                       QFileDevice::ReadOther);
    }
    return dir;
}
} // namespace

QString anchor(int topic) {
    return QStringLiteral("topic-%1").arg(topic);
}

QUrl resourceUrl(int topic) {
    QUrl url(QStringLiteral("qrc:/help/index.html"));
    if (topic != 0) url.setFragment(anchor(topic));
    return url;
}

QUrl topicUrl(int topic) {
    // An installed program has the pages as files beside it; a build has them only in its resources, and
    // the browser needs files.
    const QString installed =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/orvantis/help");
    const QString dir = QFileInfo::exists(installed + QStringLiteral("/index.html"))
                            ? QDir(installed).canonicalPath()
                            : unpackedGuide();
    QUrl url = QUrl::fromLocalFile(dir + QStringLiteral("/index.html"));
    if (topic != 0) url.setFragment(anchor(topic));
    return url;
}

void openTopic(int topic) {
    // The guide is always at hand, offline and whether or not a web browser is registered.
    QPointer<HelpWindow>& w = window();
    if (!w) w = new HelpWindow;
    w->showTopic(topic);
}

QTextBrowser* openBrowser() {
    return window() ? window()->browser() : nullptr;
}

} // namespace HelpSystem
