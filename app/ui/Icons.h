#pragma once
// The pictures the program draws itself: the toolbar's fallbacks (used where the desktop's icon theme has no
// icon of the name) and the nine frames of the About box's animation.

#include <QIcon>
#include <QPixmap>

// The toolbar button of a command: the icon theme's picture, or ours.
QIcon toolbarIcon(int commandId);
// Our own 16 x 15 picture of a toolbar command.
QPixmap drawToolbarPicture(int commandId);
// Frame i (0 to 8) of the About box's 80 x 80 animation (resources 301 to 309).
QPixmap aboutFrame(int i);
