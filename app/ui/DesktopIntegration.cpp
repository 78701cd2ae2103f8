#include "app/ui/DesktopIntegration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

namespace DesktopIntegration {
namespace {
QString dataHome() {
    QString d = qEnvironmentVariable("XDG_DATA_HOME");
    return d.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : d;
}

QString configHome() {
    QString d = qEnvironmentVariable("XDG_CONFIG_HOME");
    return d.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : d;
}

// The system's data folders ($XDG_DATA_DIRS).
QStringList systemDataDirs() {
    QString data = qEnvironmentVariable("XDG_DATA_DIRS");
    if (data.isEmpty()) data = QStringLiteral("/usr/local/share:/usr/share");
    return data.split(':', Qt::SkipEmptyParts);
}

QString readResource(const QString& name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(f.readAll());
}

// Writes text when it differs from what the file holds; true when the file changed.
bool writeIfChanged(const QString& path, const QString& text) {
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && QString::fromUtf8(existing.readAll()) == text) return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) return false;
    out.write(text.toUtf8());
    return out.commit();
}

// The value of key in section of a desktop-style key file ("" when absent).
QString keyFileValue(const QString& file, const QString& section, const QString& key) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return QString();
    QString current;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith('[') && line.endsWith(']')) {
            current = line.mid(1, line.size() - 2);
        } else if (current == section) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0 && line.left(eq).trimmed() == key) return line.mid(eq + 1).trimmed();
        }
    }
    return QString();
}

// Adds key=value to section of the user's mimeapps.list, keeping everything else.
void addDefault(const QString& file, const QString& key, const QString& value) {
    QStringList lines;
    QFile f(file);
    if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&f);
        while (!in.atEnd()) lines << in.readLine();
        f.close();
    }
    const QString header = QStringLiteral("[Default Applications]");
    qsizetype at = lines.indexOf(header);
    if (at < 0) {
        if (!lines.isEmpty() && !lines.last().isEmpty()) lines << QString();
        lines << header;
        at = lines.size() - 1;
    }
    qsizetype end = at + 1;
    while (end < lines.size() && !lines[end].trimmed().startsWith('[')) ++end;
    while (end > at + 1 && lines[end - 1].trimmed().isEmpty()) --end;
    lines.insert(end, key + '=' + value);
    writeIfChanged(file, lines.join('\n') + '\n');
}

// True when the program at executable was installed (its entry lies in ../share beside it) or a package's
// entry is installed in a system data folder: the user's own entry would hide it.
bool packageInstalled(const QString& executable) {
    const QString entry = QStringLiteral("/applications/orvantis.desktop");
    if (QFileInfo::exists(QFileInfo(executable).absolutePath() + QStringLiteral("/../share") + entry))
        return true;
    for (const QString& d : systemDataDirs())
        if (QFileInfo::exists(d + entry)) return true;
    return false;
}

void runQuietly(const QString& program, const QStringList& args) {
    if (QStandardPaths::findExecutable(program).isEmpty()) return;
    QProcess::startDetached(program, args);
}

// The entry, the icon and the types under the user's data folder.
void writeUserFiles(const QString& executable) {
    const QString data = dataHome();
    QString entry = readResource(QStringLiteral(":/desktop/orvantis.desktop"));
    QString mime = readResource(QStringLiteral(":/desktop/orvantis-mime.xml"));
    if (entry.isEmpty() || mime.isEmpty()) return;

    // The icon goes beside the entry so that menus can show it.
    const QString iconDir = data + QStringLiteral("/icons/hicolor/scalable/apps");
    writeIfChanged(iconDir + QStringLiteral("/orvantis.svg"),
                   readResource(QStringLiteral(":/icons/orvantis.svg")));

    QString quoted = executable;
    if (quoted.contains(' ')) quoted = '"' + quoted + '"';
    entry.replace(QStringLiteral("@EXECUTABLE@"), quoted);
    const QString appsDir = data + QStringLiteral("/applications");
    if (writeIfChanged(appsDir + QStringLiteral("/orvantis.desktop"), entry))
        runQuietly(QStringLiteral("update-desktop-database"), {appsDir});
    const QString mimeDir = data + QStringLiteral("/mime");
    if (writeIfChanged(mimeDir + QStringLiteral("/packages/orvantis.xml"), mime))
        runQuietly(QStringLiteral("update-mime-database"), {mimeDir});
}

// The files an earlier run of a build folder's program wrote would hide the package's (and start that
// program from the menu): they go. An entry the user changed stays.
void removeEarlierUserFiles() {
    const QString data = dataHome();
    const QString appsDir = data + QStringLiteral("/applications");
    const QRegularExpression execLine(QStringLiteral("^Exec=.*$"), QRegularExpression::MultilineOption);
    QString written = readResource(appsDir + QStringLiteral("/orvantis.desktop"));
    QString ours = readResource(QStringLiteral(":/desktop/orvantis.desktop"));
    if (written.isEmpty() || written.remove(execLine) != ours.remove(execLine)) return;
    QFile::remove(appsDir + QStringLiteral("/orvantis.desktop"));
    runQuietly(QStringLiteral("update-desktop-database"), {appsDir});
    const QString icon = data + QStringLiteral("/icons/hicolor/scalable/apps/orvantis.svg");
    if (readResource(icon) == readResource(QStringLiteral(":/icons/orvantis.svg"))) QFile::remove(icon);
    const QString mimeDir = data + QStringLiteral("/mime");
    if (readResource(mimeDir + QStringLiteral("/packages/orvantis.xml")) ==
        readResource(QStringLiteral(":/desktop/orvantis-mime.xml"))) {
        QFile::remove(mimeDir + QStringLiteral("/packages/orvantis.xml"));
        runQuietly(QStringLiteral("update-mime-database"), {mimeDir});
    }
}
} // namespace

QStringList mimeAppsLists() {
    QStringList list;
    list << configHome() + QStringLiteral("/mimeapps.list");
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty()) dirs = QStringLiteral("/etc/xdg");
    for (const QString& d : dirs.split(':', Qt::SkipEmptyParts)) list << d + QStringLiteral("/mimeapps.list");
    list << dataHome() + QStringLiteral("/applications/mimeapps.list");
    for (const QString& d : systemDataDirs()) {
        list << d + QStringLiteral("/applications/mimeapps.list");
        list << d + QStringLiteral("/applications/defaults.list");
    }
    return list;
}

QString defaultApplication(const QString& mimeType) {
    for (const QString& file : mimeAppsLists()) {
        const QString v = keyFileValue(file, QStringLiteral("Default Applications"), mimeType);
        if (!v.isEmpty()) return v;
    }
    return QString();
}

void install(const QString& executable) {
    if (packageInstalled(executable))
        removeEarlierUserFiles();
    else
        writeUserFiles(executable);

    // Each type is bound to the program only when no program is its default yet.
    for (const char* type : {scriptMimeType, tgaMimeType}) {
        const QString t = QString::fromLatin1(type);
        if (defaultApplication(t).isEmpty())
            addDefault(configHome() + QStringLiteral("/mimeapps.list"), t,
                       QStringLiteral("orvantis.desktop"));
    }
}

} // namespace DesktopIntegration
