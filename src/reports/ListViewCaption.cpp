#include "ListViewCaption.h"

#include "model/Characterdb.h"
#include "model/ColorCodedb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"

QString listViewFiltering(const Screenplaydb& story)
{
    QString caption;
    if (story.boardView() != 2)
        return caption;
    if (story.boardListSortMethod() == 1)
        caption = QStringLiteral("Sorted: Scene Card Order");
    else if (story.boardListSortMethod() == 2)
        caption = QStringLiteral("Sorted: Chronologically");
    if (story.boardListFilterColorID() > 0) {
        if (const ColorCodedb* color = story.colorForColorCodeID(story.boardListFilterColorID()))
            caption += QStringLiteral("\nColor Code: %1").arg(color->description());
    }
    if (story.boardListFilterCharacterID() > 0) {
        if (const Characterdb* character = story.characterForCharacterID(story.boardListFilterCharacterID()))
            caption += QStringLiteral("\nCharacter: %1").arg(character->characterName());
    }
    if (story.boardListFilterLocationID() > 0) {
        if (const SceneLocationdb* location = story.locationForLocationID(story.boardListFilterLocationID()))
            caption += QStringLiteral("\nLocation: %1").arg(location->location());
    }
    return caption;
}
