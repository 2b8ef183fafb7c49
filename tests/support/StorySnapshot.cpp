#include "StorySnapshot.h"

#include "model/AttachedObjectdb.h"
#include "model/Beatdb.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/ColorCodedb.h"
#include "model/GreenlightChecklistQuestiondb.h"
#include "model/Loglinedb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationObjectdb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/StickyNotedb.h"

#include <QCryptographicHash>

void Snapshot::add(const QString& at, const char* field, const QString& value)
{
    fields_.emplace_back(at + QLatin1Char('.') + QLatin1String(field), QLatin1Char('"') + value + QLatin1Char('"'));
}

void Snapshot::add(const QString& at, const char* field, std::int64_t value)
{
    fields_.emplace_back(at + QLatin1Char('.') + QLatin1String(field), QString::number(value));
}

void Snapshot::add(const QString& at, const char* field, float value)
{
    // Every bit of the value: 0.1 and the float next to it are different values.
    fields_.emplace_back(at + QLatin1Char('.') + QLatin1String(field), QString::number(static_cast<double>(value), 'g', 9));
}

void Snapshot::add(const QString& at, const char* field, const std::optional<QByteArray>& value)
{
    fields_.emplace_back(at + QLatin1Char('.') + QLatin1String(field),
                         value ? QString::fromLatin1(QCryptographicHash::hash(*value, QCryptographicHash::Sha1).toHex())
                               : QStringLiteral("none"));
}

QString Snapshot::firstDifference(const Snapshot& other) const
{
    const std::size_t common = std::min(fields_.size(), other.fields_.size());
    for (std::size_t index = 0; index < common; ++index)
        if (fields_[index] != other.fields_[index])
            return fields_[index].first + QLatin1Char(' ') + fields_[index].second + QStringLiteral(" / ") +
                   other.fields_[index].first + QLatin1Char(' ') + other.fields_[index].second;
    if (fields_.size() != other.fields_.size())
        return QStringLiteral("%1 fields / %2 fields").arg(fields_.size()).arg(other.fields_.size());
    return QString();
}

namespace {

void addFields(Snapshot& snapshot, const QString& at, const Screenplaydb& record)
{
    snapshot.add(at, "screenplayGUID", record.screenplayGUID());
    snapshot.add(at, "vantoraVersion", record.vantoraVersion());
    snapshot.add(at, "screenplayTitle", record.screenplayTitle());
    snapshot.add(at, "generalNotes", record.generalNotes());
    snapshot.add(at, "genre", record.genre());
    snapshot.add(at, "createDate", record.createDate());
    snapshot.add(at, "progressStage", record.progressStage());
    snapshot.add(at, "ownerSerialNumber", record.ownerSerialNumber());
    snapshot.add(at, "ownerFirstName", record.ownerFirstName());
    snapshot.add(at, "ownerLastName", record.ownerLastName());
    snapshot.add(at, "returnDestination", record.returnDestination());
    snapshot.add(at, "reviewType", record.reviewType());
    snapshot.add(at, "boardWidth", record.boardWidth());
    snapshot.add(at, "boardHeight", record.boardHeight());
    snapshot.add(at, "windowState", record.windowState());
    snapshot.add(at, "logLineSplitterDistance", record.logLineSplitterDistance());
    snapshot.add(at, "generalNotesSplitterDistance", record.generalNotesSplitterDistance());
    snapshot.add(at, "beatsSplitterDistance", record.beatsSplitterDistance());
    snapshot.add(at, "boardSplitterDistance", record.boardSplitterDistance());
    snapshot.add(at, "parentWindowHeight", record.parentWindowHeight());
    snapshot.add(at, "parentWindowWidth", record.parentWindowWidth());
    snapshot.add(at, "generalNotesHeight", record.generalNotesHeight());
    snapshot.add(at, "generalNotesWidth", record.generalNotesWidth());
    snapshot.add(at, "lastModifiedDate", record.lastModifiedDate());
    snapshot.add(at, "boardView", record.boardView());
    snapshot.add(at, "bigSceneView", record.bigSceneView());
    snapshot.add(at, "bigSceneSceneCardID", record.bigSceneSceneCardID());
    snapshot.add(at, "boardListSortMethod", record.boardListSortMethod());
    snapshot.add(at, "boardListFilterColorID", record.boardListFilterColorID());
    snapshot.add(at, "boardListFilterCharacterID", record.boardListFilterCharacterID());
    snapshot.add(at, "boardListFilterLocationID", record.boardListFilterLocationID());
    snapshot.add(at, "standardFontSetting", record.standardFontSetting());
    snapshot.add(at, "r3x5IncludeNotes", record.r3x5IncludeNotes());
    snapshot.add(at, "r3x5IncludeCharacters", record.r3x5IncludeCharacters());
    snapshot.add(at, "r4x6IncludeNotes", record.r4x6IncludeNotes());
    snapshot.add(at, "r4x6IncludeCharacters", record.r4x6IncludeCharacters());
    snapshot.add(at, "a3x5IncludeNotes", record.a3x5IncludeNotes());
    snapshot.add(at, "a3x5IncludeCharacters", record.a3x5IncludeCharacters());
    snapshot.add(at, "aBCIncludeNotes", record.aBCIncludeNotes());
    snapshot.add(at, "aBCIncludeCharacters", record.aBCIncludeCharacters());
    snapshot.add(at, "greenlightChecklistPercentageHorizontal", record.greenlightChecklistPercentageHorizontal());
    snapshot.add(at, "greenlightChecklistPercentageVertical", record.greenlightChecklistPercentageVertical());
    snapshot.add(at, "beatSectionShowing", record.beatSectionShowing());
    snapshot.add(at, "beatSectionCharacterID", record.beatSectionCharacterID());
    snapshot.add(at, "beatSectionLocationID", record.beatSectionLocationID());
    snapshot.add(at, "screenplayID", record.screenplayID());
    snapshot.add(at, "pageCount", record.pageCount());
    snapshot.add(at, "boardZoomFactor", record.boardZoomFactor());
}

void addFields(Snapshot& snapshot, const QString& at, const Loglinedb& record)
{
    snapshot.add(at, "loglineID", record.loglineID());
    snapshot.add(at, "screenplayID", record.screenplayID());
    snapshot.add(at, "logline", record.logline());
    snapshot.add(at, "currentLoglineFlag", record.currentLoglineFlag());
}

void addFields(Snapshot& snapshot, const QString& at, const GreenlightChecklistQuestiondb& record)
{
    snapshot.add(at, "greenlightChecklistQuestionID", record.greenlightChecklistQuestionID());
    snapshot.add(at, "screenplayID", record.screenplayID());
    snapshot.add(at, "questionNumber", record.questionNumber());
    snapshot.add(at, "answer", record.answer());
}

void addFields(Snapshot& snapshot, const QString& at, const Characterdb& record)
{
    snapshot.add(at, "characterID", record.characterID());
    snapshot.add(at, "screenplayID", record.screenplayID());
    snapshot.add(at, "characterName", record.characterName());
    snapshot.add(at, "age", record.age());
    snapshot.add(at, "gender", record.gender());
    snapshot.add(at, "description", record.description());
    snapshot.add(at, "wants", record.wants());
    snapshot.add(at, "needs", record.needs());
    snapshot.add(at, "notes", record.notes());
    snapshot.add(at, "needsFixing1", record.needsFixing1());
    snapshot.add(at, "needsFixing1Notes", record.needsFixing1Notes());
    snapshot.add(at, "needsFixing2", record.needsFixing2());
    snapshot.add(at, "needsFixing2Notes", record.needsFixing2Notes());
    snapshot.add(at, "needsFixing3", record.needsFixing3());
    snapshot.add(at, "needsFixing3Notes", record.needsFixing3Notes());
    snapshot.add(at, "needsFixing4", record.needsFixing4());
    snapshot.add(at, "needsFixing4Notes", record.needsFixing4Notes());
    snapshot.add(at, "needsFixing5", record.needsFixing5());
    snapshot.add(at, "needsFixing5Notes", record.needsFixing5Notes());
    snapshot.add(at, "needsFixing6", record.needsFixing6());
    snapshot.add(at, "needsFixing6Notes", record.needsFixing6Notes());
}

void addFields(Snapshot& snapshot, const QString& at, const AttachedObjectdb& record)
{
    snapshot.add(at, "attachedObjectID", record.attachedObjectID());
    snapshot.add(at, "screenplayID", record.screenplayID());
    snapshot.add(at, "title", record.title());
    snapshot.add(at, "description", record.description());
    snapshot.add(at, "objectType", record.objectType());
    snapshot.add(at, "currentView", record.currentView());
    snapshot.add(at, "fileName", record.fileName());
    snapshot.add(at, "positionLeft", record.positionLeft());
    snapshot.add(at, "positionTop", record.positionTop());
    snapshot.add(at, "percentageHorizontal", record.percentageHorizontal());
    snapshot.add(at, "percentageVertical", record.percentageVertical());
    snapshot.add(at, "sizeHeight", record.sizeHeight());
    snapshot.add(at, "sizeWidth", record.sizeWidth());
    snapshot.add(at, "color", record.color());
    snapshot.add(at, "lastFullImageWidth", record.lastFullImageWidth());
    snapshot.add(at, "lastFullImageHeight", record.lastFullImageHeight());
    snapshot.add(at, "textDescription", record.textDescription());
    snapshot.add(at, "mimeType", record.mimeType());
}

void addFields(Snapshot& snapshot, const QString& at, const SceneCardCharacterdb& record)
{
    snapshot.add(at, "sceneCardCharacterID", record.sceneCardCharacterID());
    snapshot.add(at, "sceneCardID", record.sceneCardID());
    snapshot.add(at, "characterID", record.characterID());
    snapshot.add(at, "description", record.description());
    snapshot.add(at, "characterName", record.characterName());
}

void addFields(Snapshot& snapshot, const QString& at, const StickyNotedb& record)
{
    snapshot.add(at, "stickyNoteID", record.stickyNoteID());
    snapshot.add(at, "screenplayID", record.screenplayID());
    snapshot.add(at, "title", record.title());
    snapshot.add(at, "note", record.note());
    snapshot.add(at, "positionLeft", record.positionLeft());
    snapshot.add(at, "positionTop", record.positionTop());
    snapshot.add(at, "percentageHorizontal", record.percentageHorizontal());
    snapshot.add(at, "percentageVertical", record.percentageVertical());
    snapshot.add(at, "sizeWidth", record.sizeWidth());
    snapshot.add(at, "sizeHeight", record.sizeHeight());
    snapshot.add(at, "color", record.color());
    snapshot.add(at, "textNote", record.textNote());
}

void addFields(Snapshot& snapshot, const QString& at, const SceneLocationdb& record)
{
    snapshot.add(at, "sceneLocationID", record.sceneLocationID());
    snapshot.add(at, "screenplayID", record.screenplayID());
    snapshot.add(at, "location", record.location());
    snapshot.add(at, "description", record.description());
    snapshot.add(at, "notes", record.notes());
}

void addFields(Snapshot& snapshot, const QString& at, const ScriptElementdb& record)
{
    snapshot.add(at, "scriptElementID", record.scriptElementID());
    snapshot.add(at, "elementType", record.elementType());
    snapshot.add(at, "leftIndent", record.leftIndent());
    snapshot.add(at, "rightIndent", record.rightIndent());
    snapshot.add(at, "alignment", record.alignment());
}

void addFields(Snapshot& snapshot, const QString& at, const ColorCodedb& record)
{
    snapshot.add(at, "colorCodeID", record.colorCodeID());
    snapshot.add(at, "screenplayID", record.screenplayID());
    snapshot.add(at, "description", record.description());
    snapshot.add(at, "redValue", record.redValue());
    snapshot.add(at, "greenValue", record.greenValue());
    snapshot.add(at, "blueValue", record.blueValue());
    snapshot.add(at, "alphaValue", record.alphaValue());
}

void addFields(Snapshot& snapshot, const QString& at, const Beatdb& record)
{
    snapshot.add(at, "beatID", record.beatID());
    snapshot.add(at, "screenplayID", record.screenplayID());
    snapshot.add(at, "beatNumber", record.beatNumber());
    snapshot.add(at, "description", record.description());
}

void addFields(Snapshot& snapshot, const QString& at, const SceneSetupdb& record)
{
    snapshot.add(at, "sceneSetupID", record.sceneSetupID());
    snapshot.add(at, "sceneCardID", record.sceneCardID());
    snapshot.add(at, "sceneSetup", record.sceneSetup());
    snapshot.add(at, "scenePayoffID", record.scenePayoffID());
    snapshot.add(at, "scenePayoff", record.scenePayoff());
}

void addFields(Snapshot& snapshot, const QString& at, const ScenePayoffdb& record)
{
    snapshot.add(at, "scenePayoffID", record.scenePayoffID());
    snapshot.add(at, "sceneCardID", record.sceneCardID());
    snapshot.add(at, "scenePayoff", record.scenePayoff());
    snapshot.add(at, "sceneSetupID", record.sceneSetupID());
    snapshot.add(at, "sceneSetup", record.sceneSetup());
}

void addFields(Snapshot& snapshot, const QString& at, const SceneCarddb& record)
{
    snapshot.add(at, "sceneCardID", record.sceneCardID());
    snapshot.add(at, "screenplayID", record.screenplayID());
    snapshot.add(at, "heading", record.heading());
    snapshot.add(at, "sceneLocationID", record.sceneLocationID());
    snapshot.add(at, "description", record.description());
    snapshot.add(at, "notes", record.notes());
    snapshot.add(at, "script", record.script());
    snapshot.add(at, "emotionalChange", record.emotionalChange());
    snapshot.add(at, "emotionalChangeType", record.emotionalChangeType());
    snapshot.add(at, "conflict", record.conflict());
    snapshot.add(at, "beatCardNumber", record.beatCardNumber());
    snapshot.add(at, "pageNumber", record.pageNumber());
    snapshot.add(at, "positionLeft", record.positionLeft());
    snapshot.add(at, "positionTop", record.positionTop());
    snapshot.add(at, "percentageHorizontal", record.percentageHorizontal());
    snapshot.add(at, "percentageVertical", record.percentageVertical());
    snapshot.add(at, "onBoard", record.onBoard());
    snapshot.add(at, "sortOrder", record.sortOrder());
    snapshot.add(at, "startDateTime", record.startDateTime());
    snapshot.add(at, "endDateTime", record.endDateTime());
    snapshot.add(at, "colorLegend1ID", record.colorLegend1ID());
    snapshot.add(at, "colorLegend2ID", record.colorLegend2ID());
    snapshot.add(at, "colorLegend3ID", record.colorLegend3ID());
    snapshot.add(at, "colorLegend4ID", record.colorLegend4ID());
    snapshot.add(at, "colorLegend5ID", record.colorLegend5ID());
    snapshot.add(at, "colorLegend6ID", record.colorLegend6ID());
    snapshot.add(at, "sceneNumber", record.sceneNumber());
    snapshot.add(at, "currentBeatSection", record.currentBeatSection());
}

void addFields(Snapshot& snapshot, const QString& at, const ScriptPartdb& record)
{
    snapshot.add(at, "scriptPartID", record.scriptPartID());
    snapshot.add(at, "sceneCardID", record.sceneCardID());
    snapshot.add(at, "sortOrder", record.sortOrder());
    snapshot.add(at, "elementTypeID", record.elementTypeID());
    snapshot.add(at, "scriptText", record.scriptText());
}

void addLinkFields(Snapshot& snapshot, const QString& at, std::int64_t key, std::int64_t owner,
                   const AttachmentLink& record)
{
    snapshot.add(at, "key", key);
    snapshot.add(at, "owner", owner);
    snapshot.add(at, "attachedObjectID", record.attachedObjectID());
    snapshot.add(at, "description", record.description());
    snapshot.add(at, "primaryDisplayFlag", record.primaryDisplayFlag());
}

void addFields(Snapshot& snapshot, const QString& at, const CharacterObjectdb& record)
{
    addLinkFields(snapshot, at, record.characterObjectID(), record.characterID(), record);
}

void addFields(Snapshot& snapshot, const QString& at, const SceneLocationObjectdb& record)
{
    addLinkFields(snapshot, at, record.sceneLocationObjectID(), record.sceneLocationID(), record);
}

void addFields(Snapshot& snapshot, const QString& at, const SceneCardObjectdb& record)
{
    addLinkFields(snapshot, at, record.sceneCardObjectID(), record.sceneCardID(), record);
    snapshot.add(at, "title", record.title());
}

template <typename List>
void addList(Snapshot& snapshot, const char* name, const List& records)
{
    snapshot.add(QLatin1String(name), "size", static_cast<std::int64_t>(records.size()));
    for (std::size_t index = 0; index < records.size(); ++index)
        addFields(snapshot, QStringLiteral("%1[%2]").arg(QLatin1String(name)).arg(index), *records[index]);
}

} // namespace

Snapshot snapshotOf(Screenplaydb& story)
{
    Snapshot snapshot;
    addFields(snapshot, QStringLiteral("story"), story);
    addList(snapshot, "logLines", story.logLines());
    addList(snapshot, "greenlightChecklistQuestions", story.greenlightChecklistQuestions());
    addList(snapshot, "characterObjects", story.characterObjects());
    addList(snapshot, "characters", story.characters());
    for (std::size_t index = 0; index < story.characters().size(); ++index)
        addList(snapshot, qPrintable(QStringLiteral("characters[%1].links").arg(index)),
                story.characters()[index]->characterObjects());
    addList(snapshot, "attachedObjects", story.attachedObjects());
    for (std::size_t index = 0; index < story.attachedObjects().size(); ++index) {
        const AttachedObjectdb& attachment = *story.attachedObjects()[index];
        const QString at = QStringLiteral("attachedObjects[%1]").arg(index);
        snapshot.add(at, "thumbnail", attachment.getThumbnail());
        snapshot.add(at, "file", attachment.getFullImage());
    }
    addList(snapshot, "sceneCardObjects", story.sceneCardObjects());
    addList(snapshot, "sceneCardCharacters", story.sceneCardCharacters());
    addList(snapshot, "stickyNotes", story.stickyNotes());
    addList(snapshot, "sceneLocationObjects", story.sceneLocationObjects());
    addList(snapshot, "sceneLocations", story.sceneLocations());
    for (std::size_t index = 0; index < story.sceneLocations().size(); ++index)
        addList(snapshot, qPrintable(QStringLiteral("sceneLocations[%1].links").arg(index)),
                story.sceneLocations()[index]->locationObjects());
    addList(snapshot, "scriptElements", story.scriptElements());
    addList(snapshot, "colorCodes", story.colorCodes());
    addList(snapshot, "beats", story.beats());
    addList(snapshot, "sceneSetups", story.sceneSetups());
    addList(snapshot, "scenePayoffs", story.scenePayoffs());
    story.loadAllScriptParts();
    for (const auto& [name, cards] : {std::pair{"sceneCards", &story.sceneCards()}, std::pair{"litterBox", &story.litterBox()}}) {
        addList(snapshot, name, *cards);
        for (std::size_t index = 0; index < cards->size(); ++index)
            addList(snapshot, qPrintable(QStringLiteral("%1[%2].script").arg(QLatin1String(name)).arg(index)),
                    (*cards)[index]->scriptParts());
    }
    return snapshot;
}
