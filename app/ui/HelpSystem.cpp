#include "app/ui/HelpSystem.h"

#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>

namespace HelpSystem {

QString anchor(int topic) {
    return QStringLiteral("topic-%1").arg(topic);
}

QUrl topicUrl(int topic) {
    // The pages live in the program's resources; the browser needs files.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (dir.isEmpty()) dir = QDir::tempPath() + QStringLiteral("/orvantis");
    dir += QStringLiteral("/help");
    QDir().mkpath(dir);
    QDirIterator it(QStringLiteral(":/help"), QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        if (QFileInfo(src).isDir()) continue;
        const QString dst = dir + src.mid(QStringLiteral(":/help").size());
        QDir().mkpath(QFileInfo(dst).absolutePath());
        QFile::remove(dst);
        QFile::copy(src, dst);
        QFile::setPermissions(dst, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                       QFileDevice::ReadOther);
    }
    QUrl url = QUrl::fromLocalFile(dir + QStringLiteral("/index.html"));
    if (topic != 0) url.setFragment(anchor(topic));
    return url;
}

void openTopic(int topic) {
    QDesktopServices::openUrl(topicUrl(topic));
}

} // namespace HelpSystem
