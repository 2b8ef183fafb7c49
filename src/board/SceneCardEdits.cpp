#include "SceneCardEdits.h"

#include "SceneCardView.h"
#include "app/MyDocument.h"
#include "model/Beatdb.h"
#include "model/Characterdb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryTransaction.h"
#include "panes/BeatsTableView.h"

#include <QCoreApplication>

#include <algorithm>

namespace SceneCardEdits {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("SceneCardEdits", text);
}

void alreadyLinked(const QString& title, const QString& message)
{
    AlertRequest request;
    request.title = title;
    request.message = message;
    request.defaultButton = tr("OK");
    Platform::alerts().runAlert(request);
}

} // namespace

bool linkAttachment(Screenplaydb& story, std::int64_t sceneCardID, std::int64_t attachedObjectID)
{
    if (!story.attachmentForID(attachedObjectID))
        return false;
    auto& links = story.sceneCardObjects();
    const auto ofThisCard = [sceneCardID](const auto& link) { return link->sceneCardID() == sceneCardID; };
    if (std::any_of(links.begin(), links.end(), [&](const auto& link) {
            return ofThisCard(link) && link->attachedObjectID() == attachedObjectID;
        })) {
        alreadyLinked(tr("Add Attachment"),
                      tr("%1 is already attached.").arg(story.titleForAttachment(attachedObjectID)));
        return false;
    }
    auto link = std::make_unique<SceneCardObjectdb>();
    link->setSceneCardID(sceneCardID);
    link->setAttachedObjectID(attachedObjectID);
    link->setPrimaryDisplayFlag(std::none_of(links.begin(), links.end(), ofThisCard) ? 1 : 0);
    link->insertIntoDatabase(&story);
    link->setTitle(story.titleForAttachment(attachedObjectID));
    links.push_back(std::move(link));
    return true;
}

namespace {

template <typename Link>
bool unlink(Screenplaydb& story, RecordList<Link>& links, Link& link,
            std::vector<Link*>& (SceneCarddb::*cardLinks)())
{
    const auto held = std::find_if(links.begin(), links.end(), [&](const auto& each) { return each.get() == &link; });
    if (held == links.end())
        return false;
    link.deleteFromDatabase();
    if (SceneCarddb* card = story.sceneCardForSceneCardID(link.sceneCardID()))
        std::erase((card->*cardLinks)(), &link);
    links.erase(held);
    return true;
}

} // namespace

bool unlinkCharacter(Screenplaydb& story, SceneCardCharacterdb& link)
{
    return unlink(story, story.sceneCardCharacters(), link, &SceneCarddb::sceneCardCharacters);
}

bool unlinkAttachment(Screenplaydb& story, SceneCardObjectdb& link)
{
    return unlink(story, story.sceneCardObjects(), link, &SceneCarddb::sceneCardObjects);
}

void makePrimaryAttachment(Screenplaydb& story, SceneCardObjectdb& link)
{
    std::vector<std::pair<SceneCardObjectdb*, std::int64_t>> before;
    for (const auto& each : story.sceneCardObjects())
        if (each->sceneCardID() == link.sceneCardID())
            before.emplace_back(each.get(), each->primaryDisplayFlag());
    try {
        StoryTransaction transaction(story.database());
        for (const auto& [each, flag] : before) {
            each->setPrimaryDisplayFlag(each == &link ? 1 : 0);
            each->save();
        }
        transaction.commit();
    } catch (...) {
        // The file kept the old marks: memory does too.
        for (const auto& [each, flag] : before) {
            each->setPrimaryDisplayFlag(flag);
            each->setIsDirty(false);
        }
        throw;
    }
}

bool linkCharacter(Screenplaydb& story, std::int64_t sceneCardID, const Characterdb& character)
{
    auto& links = story.sceneCardCharacters();
    if (std::any_of(links.begin(), links.end(), [&](const auto& link) {
            return link->sceneCardID() == sceneCardID && link->characterID() == character.characterID();
        })) {
        alreadyLinked(tr("Add Character"), tr("%1 is already in the scene.").arg(character.characterName()));
        return false;
    }
    auto link = std::make_unique<SceneCardCharacterdb>();
    link->setSceneCardID(sceneCardID);
    link->setCharacterID(character.characterID());
    link->setCharacterName(character.characterName());
    link->setDescription(character.description());
    link->insertIntoDatabase(&story);
    links.push_back(std::move(link));
    return true;
}

void setDescription(Screenplaydb& story, SceneCarddb& card, const QString& text, MyDocument* document)
{
    if (card.beatCardNumber() >= 1) {
        if (Beatdb* beat = story.beatForBeatNumber(card.beatCardNumber())) {
            beat->setDescription(text);
            beat->save();
            if (document)
                refreshStoryElementsTable(*document, 0);
        }
    }
    card.setDescription(text);
}

void DescriptionTyping::store(Screenplaydb& story, SceneCarddb& card, const QString& text, MyDocument* document)
{
    Beatdb* beat = card.beatCardNumber() >= 1 ? story.beatForBeatNumber(card.beatCardNumber()) : nullptr;
    if (!edit_ || edit_->sceneCardID != card.sceneCardID())
        edit_ = Edit{card.sceneCardID(), card.description(),
                     beat ? std::optional<QString>(beat->description()) : std::nullopt};
    const bool typedBack = text == edit_->cardBefore;
    const QString beatText = typedBack && edit_->beatBefore ? *edit_->beatBefore : text;
    const bool beatChanges = beat && beat->description() != beatText;
    const QString cardWas = card.description();
    const bool cardWasDirty = card.isDirty();
    const QString beatWas = beat ? beat->description() : QString();
    StoryTransaction transaction(story.database());
    try {
        card.setDescription(text);
        card.save();
        if (beatChanges) {
            beat->setDescription(beatText);
            beat->save();
        }
        transaction.commit();
    } catch (...) {
        // The file kept the old texts: so does memory. The card's other fields stay to be
        // written by its next save.
        card.setDescription(cardWas);
        card.setIsDirty(cardWasDirty);
        if (beatChanges) {
            beat->setDescription(beatWas);
            beat->setIsDirty(false);
        }
        throw;
    }
    if (typedBack)
        edit_.reset();
    // Only the beat's row: a reload of the sheet would close a beat being written there.
    if (beatChanges && document && document->beatsTableView())
        document->beatsTableView()->showBeatText(beat->beatNumber());
}

std::vector<SceneCarddb*> writeBeatDescription(Screenplaydb& story, Beatdb& beat, const QString& text,
                                               const std::map<std::int64_t, QString>& cardTexts)
{
    struct Change {
        SceneCarddb* card;
        QString before;
        QString after;
        bool dirty;
    };
    std::vector<Change> changed;
    for (const auto& card : story.sceneCards()) {
        if (card->beatCardNumber() != beat.beatNumber())
            continue;
        const auto given = cardTexts.find(card->sceneCardID());
        const QString& wanted = given == cardTexts.end() ? text : given->second;
        if (card->description() != wanted)
            changed.push_back({card.get(), card->description(), wanted, card->isDirty()});
    }
    const QString beatBefore = beat.description();
    const bool beatChanges = beatBefore != text;
    StoryTransaction transaction(story.database());
    try {
        if (beatChanges) {
            beat.setDescription(text);
            beat.save();
        }
        for (const Change& each : changed) {
            each.card->setDescription(each.after);
            each.card->save();
        }
        transaction.commit();
    } catch (...) {
        // The file kept the old texts: so does memory.
        if (beatChanges) {
            beat.setDescription(beatBefore);
            beat.setIsDirty(false);
        }
        for (const Change& each : changed) {
            each.card->setDescription(each.before);
            each.card->setIsDirty(each.dirty);
        }
        throw;
    }
    std::vector<SceneCarddb*> cards;
    for (const Change& each : changed)
        cards.push_back(each.card);
    return cards;
}

void saveWithBoardOrder(Screenplaydb& story, SceneCarddb& card)
{
    StoryTransaction transaction(story.database());
    try {
        card.save();
        story.sortAndRenumberBoard();
        transaction.commit();
    } catch (...) {
        // What was undone in the file is written again with the next save.
        card.setIsDirty(true);
        throw;
    }
}

AlertRequest deleteQuestion(const SceneCarddb& card)
{
    AlertRequest request;
    request.title = tr("Delete Scene Card");
    request.message =
        card.beatCardNumber() >= 1
            ? tr("This scene card is linked to a beat. If you delete the card, you will no longer have a card linked "
                 "to the beat. Are you sure you want to delete it?")
            : tr("Are you sure you want to delete this scene card? If you might need it again, you can drag it to "
                 "the Litter Box instead.");
    request.defaultButton = tr("No");
    request.otherButton = tr("Yes");
    return request;
}

} // namespace SceneCardEdits
