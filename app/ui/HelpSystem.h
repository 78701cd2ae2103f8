#pragma once
// The user guide: HTML pages shipped inside the program, shown in a help window of our own at the anchor of
// a help topic ("#topic-65923"). The window also offers the guide in the desktop's web browser: an installed
// program's pages under ../share/orvantis/help, else the pages unpacked into the user's cache folder.

#include <QString>
#include <QUrl>

class QTextBrowser;

namespace HelpSystem {
// The anchor name of a topic.
QString anchor(int topic);
// The topic's address inside the program's resources (0: the contents).
QUrl resourceUrl(int topic);
// The topic's address as a file for a web browser, unpacking the guide when needed.
QUrl topicUrl(int topic);
// Shows the help window (one for the whole program) at topic.
void openTopic(int topic);
// The help window's browser, or null while no help window is open.
QTextBrowser* openBrowser();
} // namespace HelpSystem
