#pragma once
// The program's place on the desktop, in place of registering file types with a shell: a desktop entry and a
// shared-mime-info type for scene scripts (".ovs", "Orvantis Script File") and TGA images, written under the
// user's data folder ($XDG_DATA_HOME or ~/.local/share), and each type bound to the program only when no
// other program is its default. An installed program (and any program while a package's entry is installed)
// leaves the entry, the icon and the types to the package, and removes those an earlier run of a build
// folder's program wrote. Nothing here can make the start-up fail: problems are skipped quietly.

#include <QString>
#include <QStringList>

namespace DesktopIntegration {
constexpr const char* scriptMimeType = "application/x-orvantis-script";
constexpr const char* tgaMimeType = "image/x-tga";

// Writes the entry and the types for the program at executable, unless a package installed them, and binds
// the types without a default.
void install(const QString& executable);

// The default application of a MIME type according to the mimeapps.list files ("" when none).
QString defaultApplication(const QString& mimeType);
// The mimeapps.list files in the order they are consulted.
QStringList mimeAppsLists();
} // namespace DesktopIntegration
