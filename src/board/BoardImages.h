#pragma once

#include <QPixmap>
#include <QString>

// The pictures of the board by name ("cork_repeating_02", "SceneCardThumbUp",
// "SceneCardThumbDown", "BlueThumbDown", "SetupsWithPayoffs", ...): the program's own
// resources under ":/images". An unknown name gives a null pixmap.
QPixmap boardImage(const QString& name);
