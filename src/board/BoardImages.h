#pragma once

#include <QPixmap>
#include <QString>

// The program's pictures by name ("cork_repeating_02", "SceneCardThumbUp", "SceneCardThumbDown",
// "BlueThumbDown", "SetupsWithPayoffs", "Splash", ...): its own resources under ":/images". A
// picture shipped in a second size for dense screens ("<name>@2x") is given at the density of
// the densest screen. An unknown name gives a null pixmap.
QPixmap boardImage(const QString& name);
