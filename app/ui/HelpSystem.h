#pragma once
// The user guide: HTML pages shipped inside the program, unpacked into the user's cache folder and opened in
// the desktop's browser at the anchor of a help topic ("#topic-65923").

#include <QString>
#include <QUrl>

namespace HelpSystem {
// The address of topic (0: the contents), unpacking the guide when needed.
QUrl topicUrl(int topic);
// The anchor name of a topic.
QString anchor(int topic);
void openTopic(int topic);
} // namespace HelpSystem
