#pragma once

#include <QPixmap>
#include <QString>

// The named images of the panes: the help mascot "zorvin" and its empty stand-in "BlankZorvin"
// (both kImageSize square), and the add and delete buttons of the story-elements pane,
// "AddACharacter", "DeleteACharacter", "AddALocation", "DeleteALocation", "AddASetup",
// "DeleteASetup", "AddAPayoff" and "DeleteAPayoff", and the primary marks of attachment links,
// "PrimaryImage" (the link is the primary one) and "MakePrimary" (it can be made so), and the
// marks of set-up and pay-off links, "Link" (make one), "BreakTheLink" and "JumpStraightTo" (open
// the partner's card). Any other name gives a null pixmap.
namespace PaneImages {

inline constexpr int kImageSize = 18;

QPixmap image(const QString& name);

} // namespace PaneImages
