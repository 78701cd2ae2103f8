// The desktop application. Built twice from this file: `orvantis` and `orvantis486`, which differ only in the
// processor number their About box shows (ORVANTIS_CPU).

#include "app/IniSettings.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "app/ui/SingleInstance.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#ifndef ORVANTIS_CPU
#define ORVANTIS_CPU 586
#endif

namespace {
// The show command the program is started with: ORVANTIS_SHOW may ask for "minimized" or "maximized".
int startupShowCommand() {
    const QString s = qEnvironmentVariable("ORVANTIS_SHOW").toLower();
    if (s == QLatin1String("minimized") || s == QLatin1String("2")) return 2;
    if (s == QLatin1String("maximized") || s == QLatin1String("3")) return 3;
    return 1;
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvantis"));
    QApplication::setOrganizationName(QStringLiteral("orvantis"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/orvantis.svg")));

    QStringList args = QApplication::arguments();
    args.removeFirst();

    // A program is running already: it opens the file and this start ends.
    const QString line = args.join(QLatin1Char(' '));
    const bool namesFile = !line.isEmpty() && !(line.size() >= 2 && (line[0] == '-' || line[0] == '/') &&
                                                line[1].toLower() == 'e');
    const QString instanceName = SingleInstance::defaultName();
    if (namesFile && SingleInstance(instanceName).handOver(QFileInfo(line).absoluteFilePath())) return 0;

    IniSettings settings;
    QtPlatform platform;
    OrvantisApp::Options options;
    options.processor = ORVANTIS_CPU;
    options.desktopIntegration = qEnvironmentVariableIsEmpty("ORVANTIS_NO_DESKTOP_INTEGRATION");
    options.instanceName = instanceName;
    OrvantisApp app(settings, platform, options);
    if (!app.InitInstance(args, startupShowCommand())) return 1;
    return QApplication::exec();
}
