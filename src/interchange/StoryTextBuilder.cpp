// The whole story as one plain text: title, loglines, beats, characters, locations, set-ups,
// pay-offs, scenes, Litter Box, attachments, notes and the greenlight checklist.
//
// Texts are joined by concatenation, never by QString::arg chains: a heading or a note that
// holds "%1" must come out as written.
#include "model/AttachedObjectdb.h"
#include "model/Beatdb.h"
#include "model/BoardSections.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/ColorCodedb.h"
#include "model/GreenlightChecklistTexts.h"
#include "model/Loglinedb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationObjectdb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/StickyNotedb.h"
#include "model/Toolkit.h"

#include <array>
#include <vector>

namespace {

using FixingField = const QString& (Characterdb::*)() const;

struct ThingToFix {
    const char* ordinal;
    FixingField thing;
    FixingField notes;
};

const std::array<ThingToFix, 6> kThingsToFix = {{
    {"1st", &Characterdb::needsFixing1, &Characterdb::needsFixing1Notes},
    {"2nd", &Characterdb::needsFixing2, &Characterdb::needsFixing2Notes},
    {"3rd", &Characterdb::needsFixing3, &Characterdb::needsFixing3Notes},
    {"4th", &Characterdb::needsFixing4, &Characterdb::needsFixing4Notes},
    {"5th", &Characterdb::needsFixing5, &Characterdb::needsFixing5Notes},
    {"6th", &Characterdb::needsFixing6, &Characterdb::needsFixing6Notes},
}};

// "label\ntext\n" when the text is not empty.
QString labelled(const char* label, const QString& text)
{
    return text.isEmpty() ? QString() : QLatin1String(label) + u'\n' + text + u'\n';
}

// " - heading (page)" of the card a set-up or pay-off lies on; nothing when it lies on none
// or the card is gone. Cards in the Litter Box are found too.
QString cardPlace(const Screenplaydb& story, std::int64_t sceneCardID)
{
    const SceneCarddb* card = sceneCardID > 0 ? story.sceneCardForSceneCardID(sceneCardID) : nullptr;
    if (!card)
        return {};
    return QStringLiteral(" - ") + card->heading() + QStringLiteral(" (") + QString::number(card->pageNumber()) + u')';
}

// "title - file name\nlink description\n\n" per attachment link.
template <typename Link>
QString attachmentLines(const Screenplaydb& story, const std::vector<Link*>& links)
{
    QString text;
    for (const Link* link : links) {
        const AttachedObjectdb* attachment = story.attachmentForID(link->attachedObjectID());
        text += (attachment ? attachment->title() : QString()) + QStringLiteral(" - ") +
                (attachment ? attachment->fileName() : QString()) + u'\n' + link->description() +
                QStringLiteral("\n\n");
    }
    return text;
}

// The other half of a set-up (its pay-off) or of a pay-off (its set-up):
// "<label>text - place", or `unlinked`. A link to a record that is gone counts as none.
QString payoffOf(const Screenplaydb& story, const SceneSetupdb& setup)
{
    const ScenePayoffdb* payoff = setup.scenePayoffID() > 0 ? story.payoffForPayoffID(setup.scenePayoffID()) : nullptr;
    if (!payoff)
        return QStringLiteral("NO PAY-OFF");
    return QStringLiteral("Pay-off: ") + payoff->scenePayoff() + cardPlace(story, payoff->sceneCardID());
}

QString setupOf(const Screenplaydb& story, const ScenePayoffdb& payoff)
{
    const SceneSetupdb* setup = payoff.sceneSetupID() > 0 ? story.setupForSetupID(payoff.sceneSetupID()) : nullptr;
    if (!setup)
        return QStringLiteral("NO SET-UP");
    return QStringLiteral("Set-up: ") + setup->sceneSetup() + cardPlace(story, setup->sceneCardID());
}

QString characterText(const Screenplaydb& story, const Characterdb& character)
{
    QString text = character.characterName();
    if (!character.age().isEmpty())
        text += QStringLiteral("\tAge:") + character.age();
    if (!character.gender().isEmpty())
        text += QStringLiteral("\tGender:") + character.gender();
    text += u'\n';
    text += labelled("Description", character.description()) + labelled("Wants", character.wants()) +
            labelled("Needs", character.needs());
    for (const ThingToFix& fix : kThingsToFix) {
        const QString& thing = (character.*fix.thing)();
        const QString& notes = (character.*fix.notes)();
        if (!thing.isEmpty() || !notes.isEmpty())
            text += QLatin1String(fix.ordinal) + QStringLiteral(" Thing That Needs Fixing\n") + thing +
                    QStringLiteral("\nNotes: ") + notes + u'\n';
    }
    if (!character.characterObjects().empty())
        text += QStringLiteral("\nAttachments\n") + attachmentLines(story, character.characterObjects());
    return text;
}

QString locationText(const Screenplaydb& story, const SceneLocationdb& location)
{
    QString text = location.location() + u'\n' + labelled("Description", location.description()) +
                   labelled("Notes", location.notes());
    if (!location.locationObjects().empty())
        text += QStringLiteral("Attachments\n") + attachmentLines(story, location.locationObjects());
    return text;
}

QString setupText(const Screenplaydb& story, const SceneSetupdb& setup)
{
    return setup.sceneSetup() + cardPlace(story, setup.sceneCardID()) + u'\n' + payoffOf(story, setup) +
           QStringLiteral("\n\n");
}

QString payoffText(const Screenplaydb& story, const ScenePayoffdb& payoff)
{
    return payoff.scenePayoff() + cardPlace(story, payoff.sceneCardID()) + u'\n' + setupOf(story, payoff) +
           QStringLiteral("\n\n");
}

// A stored date that holds the no-date value shows as empty.
QString dateText(const QString& stored)
{
    return stored.contains(QLatin1String("0001-01-01")) ? QString() : stored;
}

QString colorCodingText(const Screenplaydb& story, const SceneCarddb& card)
{
    const std::array<std::int64_t, 6> legendIDs = {card.colorLegend1ID(), card.colorLegend2ID(),
                                                   card.colorLegend3ID(), card.colorLegend4ID(),
                                                   card.colorLegend5ID(), card.colorLegend6ID()};
    QString text;
    for (const std::int64_t id : legendIDs) {
        if (id > 0) {
            const ColorCodedb* code = story.colorForColorCodeID(id);
            text += (code ? code->description() : QString()) + u'\n';
        }
    }
    return text.isEmpty() ? text : QStringLiteral("\nColor Coding\n\n") + text;
}

QString sceneText(const Screenplaydb& story, const SceneCarddb& card)
{
    QString text = card.heading() + u'\n';
    if (!card.description().isEmpty())
        text += card.description() + QStringLiteral("\n\n");
    const QString start = dateText(card.startDateTime());
    const QString end = dateText(card.endDateTime());
    if (!start.isEmpty() || !end.isEmpty())
        text += QStringLiteral("Start Date/Time: ") + start + QStringLiteral("  End Date/Time: ") + end + u'\n';
    if (card.sceneLocationID() > 0) {
        const SceneLocationdb* location = story.locationForLocationID(card.sceneLocationID());
        text += QStringLiteral("Location: ") + (location ? location->location() : QString()) + u'\n';
    }
    if (!card.notes().isEmpty())
        text += QStringLiteral("Notes\n") + card.notes() + QStringLiteral("\n\n");
    text += QStringLiteral("Emotional Change +-: ") + card.emotionalChange();
    if (card.emotionalChangeType() == 1)
        text += QStringLiteral(" - Positive Change");
    else if (card.emotionalChangeType() == 2)
        text += QStringLiteral(" - Negative Change");
    text += QStringLiteral("\nConflict ><: ") + card.conflict() + u'\n';
    text += colorCodingText(story, card);

    const std::int64_t id = card.sceneCardID();
    if (const auto characters = story.charactersInSceneID(id); !characters.empty()) {
        text += QStringLiteral("\nCharacters in Scene\n");
        for (const SceneCardCharacterdb* link : characters) {
            const Characterdb* character = story.characterForCharacterID(link->characterID());
            text += (character ? character->characterName() : QString()) + u'\n';
            if (!link->description().isEmpty())
                text += link->description() + u'\n';
        }
    }
    if (const auto setups = story.setupsInSceneID(id); !setups.empty()) {
        text += QStringLiteral("\nSet-ups\n");
        for (const SceneSetupdb* setup : setups)
            text += setup->sceneSetup() + u'\n' + payoffOf(story, *setup) + u'\n';
    }
    if (const auto payoffs = story.payoffsInSceneID(id); !payoffs.empty()) {
        text += QStringLiteral("\nPay-offs\n");
        for (const ScenePayoffdb* payoff : payoffs)
            text += payoff->scenePayoff() + u'\n' + setupOf(story, *payoff) + u'\n';
    }
    if (const auto attachments = story.attachedObjectsInSceneID(id); !attachments.empty())
        text += QStringLiteral("\nAttachments\n") + attachmentLines(story, attachments);
    return text + QStringLiteral("\n\n");
}

QString checklistText(const Screenplaydb& story)
{
    QString text;
    for (const GreenlightSection& section : greenlightSections()) {
        text += QString::fromUtf8(section.title) + u'\n';
        for (std::int64_t number = section.firstQuestion; number >= 1 && number <= section.lastQuestion; ++number)
            text += story.markForGreenlightQuestion(number) + u' ' + greenlightQuestion(number) + u'\n';
    }
    return text;
}

} // namespace

QString Toolkit::buildTextStringForScreenplay(Screenplaydb& story) const
{
    QString text = story.screenplayTitle() + QStringLiteral("\n\nLoglines\n");
    for (const auto& logline : story.logLines())
        text += (logline->currentLoglineFlag() == 1 ? QStringLiteral("Current logline: ")
                                                    : QStringLiteral("Other logline: ")) +
                logline->logline() + QStringLiteral("\n\n");
    text += QStringLiteral("\n\nPages: ") + QString::number(story.pageCount()) + QStringLiteral("\n\nGenre: ") +
            story.genre();
    for (const auto& beat : story.beats())
        text += QStringLiteral("\n\n") + story.boardSections().beatLabelForBeat(beat->beatNumber()) + u'\n' +
                beat->description();

    text += QStringLiteral("\n\nCHARACTERS\n");
    for (const auto& character : story.characters())
        text += characterText(story, *character);
    text += QStringLiteral("\n\nLOCATIONS\n\n");
    for (const auto& location : story.sceneLocations())
        text += locationText(story, *location);
    text += QStringLiteral("\n\nSET-UPS\n\n");
    for (const auto& setup : story.sceneSetups())
        text += setupText(story, *setup);
    text += QStringLiteral("\n\nPAY-OFFS\n\n");
    for (const auto& payoff : story.scenePayoffs())
        text += payoffText(story, *payoff);

    text += QStringLiteral("\n\nScenes\n\n");
    for (const auto& card : story.sceneCards())
        text += sceneText(story, *card);
    if (!story.litterBox().empty()) {
        text += QStringLiteral("Litter Box Scenes\n\n");
        for (const auto& card : story.litterBox())
            text += sceneText(story, *card);
    }
    if (!story.attachedObjects().empty()) {
        text += QStringLiteral("\n\nATTACHMENTS\n\n");
        // The plain twin of the description: the stored description is RTF markup.
        for (const auto& attachment : story.attachedObjects())
            text += attachment->title() + QStringLiteral(" - ") + attachment->fileName() + u'\n' +
                    attachment->textDescription() + QStringLiteral("\n\n");
    }
    if (!story.stickyNotes().empty()) {
        text += QStringLiteral("\n\nNOTES\n\n");
        for (const auto& note : story.stickyNotes())
            text += note->title() + u'\n' + note->textNote() + QStringLiteral("\n\n");
    }
    return text + QStringLiteral("\n\nGREENLIGHT CHECKLIST\n") + checklistText(story);
}
