#pragma once

#include "platform/Platform.h"

#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

class Beatdb;
class Characterdb;
class MyDocument;
class SceneCardCharacterdb;
class SceneCardObjectdb;
class SceneCarddb;
class Screenplaydb;

// What every view of a scene card (a card of the board, the large scene card) does to the card's
// records in the same way: links made by drops, the description of a beat card, a new place
// on the board, and the question before the card is deleted.
namespace SceneCardEdits {

// Links the attachment to the card; the card's first attachment becomes the one it shows.
// Answers false, writing nothing, for an attachment the story does not hold and for one the
// card has already (the user is told so).
bool linkAttachment(Screenplaydb& story, std::int64_t sceneCardID, std::int64_t attachedObjectID);
// Puts the character in the scene, with the character's own description as the scene's; false,
// writing nothing, when the scene has the character already (the user is told so).
bool linkCharacter(Screenplaydb& story, std::int64_t sceneCardID, const Characterdb& character);
// Deletes the link from the file and from the story (and from its card's own list); the link is
// gone afterwards. Answers false, writing nothing, for a link the story does not hold.
bool unlinkCharacter(Screenplaydb& story, SceneCardCharacterdb& link);
// The same for an attachment; the card is left without a primary attachment when it was this one.
bool unlinkAttachment(Screenplaydb& story, SceneCardObjectdb& link);
// Makes the link its card's primary attachment: every link of the card gets flag 0, this one 1,
// in one transaction.
void makePrimaryAttachment(Screenplaydb& story, SceneCardObjectdb& link);

// The card takes a new description; a beat card's beat takes it too, and the beat sheet shows
// it when it is on screen. The card is not saved.
void setDescription(Screenplaydb& story, SceneCarddb& card, const QString& text, MyDocument* document);

// A card's description while it is being typed, from the first pause of an edit to its end; a
// view keeps one and ends it with the edit. Each pause writes the card, and a beat card's beat
// with it, in one transaction: the file never holds the two apart, whenever the program stops.
// A text typed back to what the card held gives the beat back its own text, which may differ
// from the card's (the beat's name above it, as the initial beat cards write it).
class DescriptionTyping
{
public:
    // The card takes `text` and is saved with every field it has; a beat card's beat takes it
    // too and shows it in the beat sheet. On a failure nothing is written, and the card and the
    // beat keep in memory the descriptions the file has.
    void store(Screenplaydb& story, SceneCarddb& card, const QString& text, MyDocument* document);
    // The edit is over: the next store begins another.
    void end() { edit_.reset(); }

private:
    struct Edit {
        std::int64_t sceneCardID;
        QString cardBefore;
        std::optional<QString> beatBefore;
    };
    std::optional<Edit> edit_;
};

// The beat takes `text` and every board card of the beat takes a copy of it, in one transaction;
// a card named in `cardTexts` (by row id) takes the text given there instead. Only a record
// whose text changes is written. Answers the cards whose text changed; on a failure nothing
// is written and every record keeps in memory what it had.
std::vector<SceneCarddb*> writeBeatDescription(Screenplaydb& story, Beatdb& beat, const QString& text,
                                               const std::map<std::int64_t, QString>& cardTexts = {});

// Saves the card with the board's new order, both or neither.
void saveWithBoardOrder(Screenplaydb& story, SceneCarddb& card);

// The question asked before a card is deleted: "No" is the default answer.
AlertRequest deleteQuestion(const SceneCarddb& card);

} // namespace SceneCardEdits
