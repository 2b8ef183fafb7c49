#pragma once

// The benchmarks' floors' own reading of a story file: every row the program loads, with all
// its columns, into plain structs (no record objects, no statement cache), read with one
// prepared SELECT per table, the links tied to their records through hash maps and the lists
// in the program's orders (characters and locations by name ignoring case, set-ups and
// pay-offs by card). It is what opening a story must do at least, done the cheapest
// reasonable way.

#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace PlainStory {

inline std::int64_t integer(sqlite3_stmt* row, int column)
{
    return sqlite3_column_int64(row, column);
}

inline double real(sqlite3_stmt* row, int column)
{
    return sqlite3_column_double(row, column);
}

inline QString text(sqlite3_stmt* row, int column)
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(row, column));
}

struct Screenplay {
    std::int64_t screenplayID = 0;
    QString screenplayGUID;
    QString vantoraVersion;
    QString screenplayTitle;
    std::int64_t pageCount = 0;
    QString generalNotes;
    QString genre;
    QString createDate;
    std::int64_t progressStage = 0;
    QString ownerSerialNumber;
    QString ownerFirstName;
    QString ownerLastName;
    std::int64_t returnDestination = 0;
    std::int64_t reviewType = 0;
    std::int64_t boardWidth = 0;
    std::int64_t boardHeight = 0;
    std::int64_t windowState = 0;
    std::int64_t boardZoomFactor = 0;
    std::int64_t logLineSplitterDistance = 0;
    std::int64_t generalNotesSplitterDistance = 0;
    std::int64_t beatsSplitterDistance = 0;
    std::int64_t boardSplitterDistance = 0;
    std::int64_t parentWindowHeight = 0;
    std::int64_t parentWindowWidth = 0;
    std::int64_t generalNotesHeight = 0;
    std::int64_t generalNotesWidth = 0;
    QString lastModifiedDate;
    std::int64_t boardView = 0;
    std::int64_t bigSceneView = 0;
    std::int64_t bigSceneSceneCardID = 0;
    std::int64_t boardListSortMethod = 0;
    std::int64_t boardListFilterColorID = 0;
    std::int64_t boardListFilterCharacterID = 0;
    std::int64_t boardListFilterLocationID = 0;
    std::int64_t standardFontSetting = 0;
    std::int64_t r3x5IncludeNotes = 0;
    std::int64_t r3x5IncludeCharacters = 0;
    std::int64_t r4x6IncludeNotes = 0;
    std::int64_t r4x6IncludeCharacters = 0;
    std::int64_t a3x5IncludeNotes = 0;
    std::int64_t a3x5IncludeCharacters = 0;
    std::int64_t aBCIncludeNotes = 0;
    std::int64_t aBCIncludeCharacters = 0;
    double greenlightChecklistPercentageHorizontal = 0;
    double greenlightChecklistPercentageVertical = 0;
    std::int64_t beatSectionShowing = 0;
    std::int64_t beatSectionCharacterID = 0;
    std::int64_t beatSectionLocationID = 0;
};

struct ScriptPart {
    std::int64_t scriptPartID = 0;
    std::int64_t sceneCardID = 0;
    std::int64_t sortOrder = 0;
    std::int64_t elementTypeID = 0;
    QString scriptText;
};

struct SceneCard {
    std::int64_t sceneCardID = 0;
    std::int64_t screenplayID = 0;
    QString heading;
    std::int64_t sceneLocationID = 0;
    QString description;
    QString notes;
    QString script;
    QString emotionalChange;
    std::int64_t emotionalChangeType = 0;
    QString conflict;
    std::int64_t beatCardNumber = 0;
    std::int64_t pageNumber = 0;
    std::int64_t positionLeft = 0;
    std::int64_t positionTop = 0;
    double percentageHorizontal = 0;
    double percentageVertical = 0;
    std::int64_t onBoard = 0;
    std::int64_t sortOrder = 0;
    QString startDateTime;
    QString endDateTime;
    std::int64_t colorLegend1ID = 0;
    std::int64_t colorLegend2ID = 0;
    std::int64_t colorLegend3ID = 0;
    std::int64_t colorLegend4ID = 0;
    std::int64_t colorLegend5ID = 0;
    std::int64_t colorLegend6ID = 0;
    QString sceneNumber;
    std::int64_t currentBeatSection = 0;
    // The scene's paragraphs, once read.
    std::vector<ScriptPart> paragraphs;
};

struct ScriptElement {
    std::int64_t scriptElementID = 0;
    QString elementType;
    double leftIndent = 0;
    double rightIndent = 0;
    QString alignment;
};

struct Beat {
    std::int64_t beatID = 0;
    std::int64_t screenplayID = 0;
    std::int64_t beatNumber = 0;
    QString description;
};

struct Logline {
    std::int64_t loglineID = 0;
    std::int64_t screenplayID = 0;
    QString logline;
    std::int64_t currentLoglineFlag = 0;
};

struct GreenlightChecklistQuestion {
    std::int64_t greenlightChecklistQuestionID = 0;
    std::int64_t screenplayID = 0;
    std::int64_t questionNumber = 0;
    QString answer;
};

struct CharacterObject {
    std::int64_t characterObjectID = 0;
    std::int64_t characterID = 0;
    std::int64_t attachedObjectID = 0;
    QString description;
    std::int64_t primaryDisplayFlag = 0;
};

struct Character {
    std::int64_t characterID = 0;
    std::int64_t screenplayID = 0;
    QString characterName;
    QString age;
    QString gender;
    QString description;
    QString wants;
    QString needs;
    QString notes;
    QString needsFixing1;
    QString needsFixing1Notes;
    QString needsFixing2;
    QString needsFixing2Notes;
    QString needsFixing3;
    QString needsFixing3Notes;
    QString needsFixing4;
    QString needsFixing4Notes;
    QString needsFixing5;
    QString needsFixing5Notes;
    QString needsFixing6;
    QString needsFixing6Notes;
    // The character's attachment links, in the order they were read.
    std::vector<const CharacterObject*> links;
};

struct SceneLocationObject {
    std::int64_t sceneLocationObjectID = 0;
    std::int64_t sceneLocationID = 0;
    std::int64_t attachedObjectID = 0;
    QString description;
    std::int64_t primaryDisplayFlag = 0;
};

struct SceneLocation {
    std::int64_t sceneLocationID = 0;
    std::int64_t screenplayID = 0;
    QString location;
    QString description;
    QString notes;
    std::vector<const SceneLocationObject*> links;
};

struct ColorCode {
    std::int64_t colorCodeID = 0;
    std::int64_t screenplayID = 0;
    QString description;
    std::int64_t redValue = 0;
    std::int64_t greenValue = 0;
    std::int64_t blueValue = 0;
    std::int64_t alphaValue = 0;
};

struct StickyNote {
    std::int64_t stickyNoteID = 0;
    std::int64_t screenplayID = 0;
    QString title;
    QString note;
    std::int64_t positionLeft = 0;
    std::int64_t positionTop = 0;
    double percentageHorizontal = 0;
    double percentageVertical = 0;
    std::int64_t sizeWidth = 0;
    std::int64_t sizeHeight = 0;
    std::int64_t color = 0;
    QString textNote;
};

struct AttachedObject {
    std::int64_t attachedObjectID = 0;
    std::int64_t screenplayID = 0;
    QString title;
    QString description;
    std::int64_t objectType = 0;
    std::int64_t currentView = 0;
    QString fileName;
    std::int64_t positionLeft = 0;
    std::int64_t positionTop = 0;
    double percentageHorizontal = 0;
    double percentageVertical = 0;
    std::int64_t sizeHeight = 0;
    std::int64_t sizeWidth = 0;
    std::int64_t color = 0;
    std::int64_t lastFullImageWidth = 0;
    std::int64_t lastFullImageHeight = 0;
    QString textDescription;
    QString mimeType;
};

struct SceneCardObject {
    std::int64_t sceneCardObjectID = 0;
    std::int64_t sceneCardID = 0;
    std::int64_t attachedObjectID = 0;
    QString description;
    std::int64_t primaryDisplayFlag = 0;
    // The attachment's title.
    QString title;
};

struct SceneCardCharacter {
    std::int64_t sceneCardCharacterID = 0;
    std::int64_t sceneCardID = 0;
    std::int64_t characterID = 0;
    QString description;
    QString characterName;
};

struct SceneSetup {
    std::int64_t sceneSetupID = 0;
    std::int64_t sceneCardID = 0;
    QString sceneSetup;
    std::int64_t scenePayoffID = 0;
    QString payoffText;
};

struct ScenePayoff {
    std::int64_t scenePayoffID = 0;
    std::int64_t sceneCardID = 0;
    QString scenePayoff;
    std::int64_t sceneSetupID = 0;
    QString setupText;
};

inline constexpr const char* kScreenplayColumns = "Screenplay.ScreenplayID,Screenplay.ScreenplayGUID,Screenplay.VantoraVersion,Screenplay.ScreenplayTitle,Screenplay.PageCount,Screenplay.GeneralNotes,Screenplay.Genre,Screenplay.CreateDate,Screenplay.ProgressStage,Screenplay.OwnerSerialNumber,Screenplay.OwnerFirstName,Screenplay.OwnerLastName,Screenplay.ReturnDestination,Screenplay.ReviewType,Screenplay.BoardWidth,Screenplay.BoardHeight,Screenplay.WindowState,Screenplay.BoardZoomFactor,Screenplay.LogLineSplitterDistance,Screenplay.GeneralNotesSplitterDistance,Screenplay.BeatsSplitterDistance,Screenplay.BoardSplitterDistance,Screenplay.ParentWindowHeight,Screenplay.ParentWindowWidth,Screenplay.GeneralNotesHeight,Screenplay.GeneralNotesWidth,Screenplay.LastModifiedDate,Screenplay.BoardView,Screenplay.BigSceneView,Screenplay.BigSceneSceneCardID,Screenplay.BoardListSortMethod,Screenplay.BoardListFilterColorID,Screenplay.BoardListFilterCharacterID,Screenplay.BoardListFilterLocationID,Screenplay.StandardFontSetting,Screenplay.R3x5IncludeNotes,Screenplay.R3x5IncludeCharacters,Screenplay.R4x6IncludeNotes,Screenplay.R4x6IncludeCharacters,Screenplay.A3x5IncludeNotes,Screenplay.A3x5IncludeCharacters,Screenplay.ABCIncludeNotes,Screenplay.ABCIncludeCharacters,Screenplay.GreenlightChecklistPercentageHorizontal,Screenplay.GreenlightChecklistPercentageVertical,Screenplay.BeatSectionShowing,Screenplay.BeatSectionCharacterID,Screenplay.BeatSectionLocationID";
inline constexpr const char* kSceneCardColumns = "SceneCard.SceneCardID,SceneCard.ScreenplayID,SceneCard.Heading,SceneCard.SceneLocationID,SceneCard.Description,SceneCard.Notes,SceneCard.Script,SceneCard.EmotionalChange,SceneCard.EmotionalChangeType,SceneCard.Conflict,SceneCard.BeatCardNumber,SceneCard.PageNumber,SceneCard.PositionLeft,SceneCard.PositionTop,SceneCard.PercentageHorizontal,SceneCard.PercentageVertical,SceneCard.OnBoard,SceneCard.SortOrder,SceneCard.StartDateTime,SceneCard.EndDateTime,SceneCard.ColorLegend1ID,SceneCard.ColorLegend2ID,SceneCard.ColorLegend3ID,SceneCard.ColorLegend4ID,SceneCard.ColorLegend5ID,SceneCard.ColorLegend6ID,SceneCard.SceneNumber,SceneCard.CurrentBeatSection";
inline constexpr const char* kScriptPartColumns = "ScriptPart.ScriptPartID,ScriptPart.SceneCardID,ScriptPart.SortOrder,ScriptPart.ElementTypeID,ScriptPart.ScriptText";
inline constexpr const char* kScriptElementColumns = "ScriptElement.ScriptElementID,ScriptElement.ElementType,ScriptElement.LeftIndent,ScriptElement.RightIndent,ScriptElement.Alignment";
inline constexpr const char* kBeatColumns = "Beat.BeatID,Beat.ScreenplayID,Beat.BeatNumber,Beat.Description";
inline constexpr const char* kLoglineColumns = "Logline.LoglineID,Logline.ScreenplayID,Logline.Logline,Logline.CurrentLoglineFlag";
inline constexpr const char* kGreenlightChecklistQuestionColumns = "GreenlightChecklistQuestion.GreenlightChecklistQuestionID,GreenlightChecklistQuestion.ScreenplayID,GreenlightChecklistQuestion.QuestionNumber,GreenlightChecklistQuestion.Answer";
inline constexpr const char* kCharacterColumns = "Character.CharacterID,Character.ScreenplayID,Character.CharacterName,Character.Age,Character.Gender,Character.Description,Character.Wants,Character.Needs,Character.Notes,Character.NeedsFixing1,Character.NeedsFixing1Notes,Character.NeedsFixing2,Character.NeedsFixing2Notes,Character.NeedsFixing3,Character.NeedsFixing3Notes,Character.NeedsFixing4,Character.NeedsFixing4Notes,Character.NeedsFixing5,Character.NeedsFixing5Notes,Character.NeedsFixing6,Character.NeedsFixing6Notes";
inline constexpr const char* kSceneLocationColumns = "SceneLocation.SceneLocationID,SceneLocation.ScreenplayID,SceneLocation.Location,SceneLocation.Description,SceneLocation.Notes";
inline constexpr const char* kColorCodeColumns = "ColorCode.ColorCodeID,ColorCode.ScreenplayID,ColorCode.Description,ColorCode.RedValue,ColorCode.GreenValue,ColorCode.BlueValue,ColorCode.AlphaValue";
inline constexpr const char* kStickyNoteColumns = "StickyNote.StickyNoteID,StickyNote.ScreenplayID,StickyNote.Title,StickyNote.Note,StickyNote.PositionLeft,StickyNote.PositionTop,StickyNote.PercentageHorizontal,StickyNote.PercentageVertical,StickyNote.SizeWidth,StickyNote.SizeHeight,StickyNote.Color,StickyNote.TextNote";
inline constexpr const char* kAttachedObjectColumns = "AttachedObject.AttachedObjectID,AttachedObject.ScreenplayID,AttachedObject.Title,AttachedObject.Description,AttachedObject.ObjectType,AttachedObject.CurrentView,AttachedObject.FileName,AttachedObject.PositionLeft,AttachedObject.PositionTop,AttachedObject.PercentageHorizontal,AttachedObject.PercentageVertical,AttachedObject.SizeHeight,AttachedObject.SizeWidth,AttachedObject.Color,AttachedObject.LastFullImageWidth,AttachedObject.LastFullImageHeight,AttachedObject.TextDescription,AttachedObject.MimeType";
inline constexpr const char* kCharacterObjectColumns = "CharacterObject.CharacterObjectID,CharacterObject.CharacterID,CharacterObject.AttachedObjectID,CharacterObject.Description,CharacterObject.PrimaryDisplayFlag";
inline constexpr const char* kSceneLocationObjectColumns = "SceneLocationObject.SceneLocationObjectID,SceneLocationObject.SceneLocationID,SceneLocationObject.AttachedObjectID,SceneLocationObject.Description,SceneLocationObject.PrimaryDisplayFlag";
inline constexpr const char* kSceneCardObjectColumns = "SceneCardObject.SceneCardObjectID,SceneCardObject.SceneCardID,SceneCardObject.AttachedObjectID,SceneCardObject.Description,SceneCardObject.PrimaryDisplayFlag";
inline constexpr const char* kSceneCardCharacterColumns = "SceneCardCharacter.SceneCardCharacterID,SceneCardCharacter.SceneCardID,SceneCardCharacter.CharacterID,SceneCardCharacter.Description";
inline constexpr const char* kSceneSetupColumns = "SceneSetup.SceneSetupID,SceneSetup.SceneCardID,SceneSetup.SceneSetup,SceneSetup.ScenePayoffID";
inline constexpr const char* kScenePayoffColumns = "ScenePayoff.ScenePayoffID,ScenePayoff.SceneCardID,ScenePayoff.ScenePayoff";

inline void readRow(sqlite3_stmt* row, Screenplay& into)
{
    into.screenplayID = integer(row, 0);
    into.screenplayGUID = text(row, 1);
    into.vantoraVersion = text(row, 2);
    into.screenplayTitle = text(row, 3);
    into.pageCount = integer(row, 4);
    into.generalNotes = text(row, 5);
    into.genre = text(row, 6);
    into.createDate = text(row, 7);
    into.progressStage = integer(row, 8);
    into.ownerSerialNumber = text(row, 9);
    into.ownerFirstName = text(row, 10);
    into.ownerLastName = text(row, 11);
    into.returnDestination = integer(row, 12);
    into.reviewType = integer(row, 13);
    into.boardWidth = integer(row, 14);
    into.boardHeight = integer(row, 15);
    into.windowState = integer(row, 16);
    into.boardZoomFactor = integer(row, 17);
    into.logLineSplitterDistance = integer(row, 18);
    into.generalNotesSplitterDistance = integer(row, 19);
    into.beatsSplitterDistance = integer(row, 20);
    into.boardSplitterDistance = integer(row, 21);
    into.parentWindowHeight = integer(row, 22);
    into.parentWindowWidth = integer(row, 23);
    into.generalNotesHeight = integer(row, 24);
    into.generalNotesWidth = integer(row, 25);
    into.lastModifiedDate = text(row, 26);
    into.boardView = integer(row, 27);
    into.bigSceneView = integer(row, 28);
    into.bigSceneSceneCardID = integer(row, 29);
    into.boardListSortMethod = integer(row, 30);
    into.boardListFilterColorID = integer(row, 31);
    into.boardListFilterCharacterID = integer(row, 32);
    into.boardListFilterLocationID = integer(row, 33);
    into.standardFontSetting = integer(row, 34);
    into.r3x5IncludeNotes = integer(row, 35);
    into.r3x5IncludeCharacters = integer(row, 36);
    into.r4x6IncludeNotes = integer(row, 37);
    into.r4x6IncludeCharacters = integer(row, 38);
    into.a3x5IncludeNotes = integer(row, 39);
    into.a3x5IncludeCharacters = integer(row, 40);
    into.aBCIncludeNotes = integer(row, 41);
    into.aBCIncludeCharacters = integer(row, 42);
    into.greenlightChecklistPercentageHorizontal = real(row, 43);
    into.greenlightChecklistPercentageVertical = real(row, 44);
    into.beatSectionShowing = integer(row, 45);
    into.beatSectionCharacterID = integer(row, 46);
    into.beatSectionLocationID = integer(row, 47);
}

inline void readRow(sqlite3_stmt* row, SceneCard& into)
{
    into.sceneCardID = integer(row, 0);
    into.screenplayID = integer(row, 1);
    into.heading = text(row, 2);
    into.sceneLocationID = integer(row, 3);
    into.description = text(row, 4);
    into.notes = text(row, 5);
    into.script = text(row, 6);
    into.emotionalChange = text(row, 7);
    into.emotionalChangeType = integer(row, 8);
    into.conflict = text(row, 9);
    into.beatCardNumber = integer(row, 10);
    into.pageNumber = integer(row, 11);
    into.positionLeft = integer(row, 12);
    into.positionTop = integer(row, 13);
    into.percentageHorizontal = real(row, 14);
    into.percentageVertical = real(row, 15);
    into.onBoard = integer(row, 16);
    into.sortOrder = integer(row, 17);
    into.startDateTime = text(row, 18);
    into.endDateTime = text(row, 19);
    into.colorLegend1ID = integer(row, 20);
    into.colorLegend2ID = integer(row, 21);
    into.colorLegend3ID = integer(row, 22);
    into.colorLegend4ID = integer(row, 23);
    into.colorLegend5ID = integer(row, 24);
    into.colorLegend6ID = integer(row, 25);
    into.sceneNumber = text(row, 26);
    into.currentBeatSection = integer(row, 27);
}

inline void readRow(sqlite3_stmt* row, ScriptPart& into)
{
    into.scriptPartID = integer(row, 0);
    into.sceneCardID = integer(row, 1);
    into.sortOrder = integer(row, 2);
    into.elementTypeID = integer(row, 3);
    into.scriptText = text(row, 4);
}

inline void readRow(sqlite3_stmt* row, ScriptElement& into)
{
    into.scriptElementID = integer(row, 0);
    into.elementType = text(row, 1);
    into.leftIndent = real(row, 2);
    into.rightIndent = real(row, 3);
    into.alignment = text(row, 4);
}

inline void readRow(sqlite3_stmt* row, Beat& into)
{
    into.beatID = integer(row, 0);
    into.screenplayID = integer(row, 1);
    into.beatNumber = integer(row, 2);
    into.description = text(row, 3);
}

inline void readRow(sqlite3_stmt* row, Logline& into)
{
    into.loglineID = integer(row, 0);
    into.screenplayID = integer(row, 1);
    into.logline = text(row, 2);
    into.currentLoglineFlag = integer(row, 3);
}

inline void readRow(sqlite3_stmt* row, GreenlightChecklistQuestion& into)
{
    into.greenlightChecklistQuestionID = integer(row, 0);
    into.screenplayID = integer(row, 1);
    into.questionNumber = integer(row, 2);
    into.answer = text(row, 3);
}

inline void readRow(sqlite3_stmt* row, Character& into)
{
    into.characterID = integer(row, 0);
    into.screenplayID = integer(row, 1);
    into.characterName = text(row, 2);
    into.age = text(row, 3);
    into.gender = text(row, 4);
    into.description = text(row, 5);
    into.wants = text(row, 6);
    into.needs = text(row, 7);
    into.notes = text(row, 8);
    into.needsFixing1 = text(row, 9);
    into.needsFixing1Notes = text(row, 10);
    into.needsFixing2 = text(row, 11);
    into.needsFixing2Notes = text(row, 12);
    into.needsFixing3 = text(row, 13);
    into.needsFixing3Notes = text(row, 14);
    into.needsFixing4 = text(row, 15);
    into.needsFixing4Notes = text(row, 16);
    into.needsFixing5 = text(row, 17);
    into.needsFixing5Notes = text(row, 18);
    into.needsFixing6 = text(row, 19);
    into.needsFixing6Notes = text(row, 20);
}

inline void readRow(sqlite3_stmt* row, SceneLocation& into)
{
    into.sceneLocationID = integer(row, 0);
    into.screenplayID = integer(row, 1);
    into.location = text(row, 2);
    into.description = text(row, 3);
    into.notes = text(row, 4);
}

inline void readRow(sqlite3_stmt* row, ColorCode& into)
{
    into.colorCodeID = integer(row, 0);
    into.screenplayID = integer(row, 1);
    into.description = text(row, 2);
    into.redValue = integer(row, 3);
    into.greenValue = integer(row, 4);
    into.blueValue = integer(row, 5);
    into.alphaValue = integer(row, 6);
}

inline void readRow(sqlite3_stmt* row, StickyNote& into)
{
    into.stickyNoteID = integer(row, 0);
    into.screenplayID = integer(row, 1);
    into.title = text(row, 2);
    into.note = text(row, 3);
    into.positionLeft = integer(row, 4);
    into.positionTop = integer(row, 5);
    into.percentageHorizontal = real(row, 6);
    into.percentageVertical = real(row, 7);
    into.sizeWidth = integer(row, 8);
    into.sizeHeight = integer(row, 9);
    into.color = integer(row, 10);
    into.textNote = text(row, 11);
}

inline void readRow(sqlite3_stmt* row, AttachedObject& into)
{
    into.attachedObjectID = integer(row, 0);
    into.screenplayID = integer(row, 1);
    into.title = text(row, 2);
    into.description = text(row, 3);
    into.objectType = integer(row, 4);
    into.currentView = integer(row, 5);
    into.fileName = text(row, 6);
    into.positionLeft = integer(row, 7);
    into.positionTop = integer(row, 8);
    into.percentageHorizontal = real(row, 9);
    into.percentageVertical = real(row, 10);
    into.sizeHeight = integer(row, 11);
    into.sizeWidth = integer(row, 12);
    into.color = integer(row, 13);
    into.lastFullImageWidth = integer(row, 14);
    into.lastFullImageHeight = integer(row, 15);
    into.textDescription = text(row, 16);
    into.mimeType = text(row, 17);
}

inline void readRow(sqlite3_stmt* row, CharacterObject& into)
{
    into.characterObjectID = integer(row, 0);
    into.characterID = integer(row, 1);
    into.attachedObjectID = integer(row, 2);
    into.description = text(row, 3);
    into.primaryDisplayFlag = integer(row, 4);
}

inline void readRow(sqlite3_stmt* row, SceneLocationObject& into)
{
    into.sceneLocationObjectID = integer(row, 0);
    into.sceneLocationID = integer(row, 1);
    into.attachedObjectID = integer(row, 2);
    into.description = text(row, 3);
    into.primaryDisplayFlag = integer(row, 4);
}

inline void readRow(sqlite3_stmt* row, SceneCardObject& into)
{
    into.sceneCardObjectID = integer(row, 0);
    into.sceneCardID = integer(row, 1);
    into.attachedObjectID = integer(row, 2);
    into.description = text(row, 3);
    into.primaryDisplayFlag = integer(row, 4);
}

inline void readRow(sqlite3_stmt* row, SceneCardCharacter& into)
{
    into.sceneCardCharacterID = integer(row, 0);
    into.sceneCardID = integer(row, 1);
    into.characterID = integer(row, 2);
    into.description = text(row, 3);
}

inline void readRow(sqlite3_stmt* row, SceneSetup& into)
{
    into.sceneSetupID = integer(row, 0);
    into.sceneCardID = integer(row, 1);
    into.sceneSetup = text(row, 2);
    into.scenePayoffID = integer(row, 3);
}

inline void readRow(sqlite3_stmt* row, ScenePayoff& into)
{
    into.scenePayoffID = integer(row, 0);
    into.sceneCardID = integer(row, 1);
    into.scenePayoff = text(row, 2);
}

// Every row of `sql` (its parameter, when it has one, bound to `story`) read into a list.
template <typename Row>
std::vector<Row> readRows(sqlite3* db, const std::string& sql, std::int64_t story = 0)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    if (sqlite3_bind_parameter_count(statement) > 0)
        sqlite3_bind_int64(statement, 1, story);
    std::vector<Row> rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        rows.emplace_back();
        readRow(statement, rows.back());
    }
    sqlite3_finalize(statement);
    return rows;
}

// The columns of `table` (a constant above) and the rest of the statement.
inline std::string select(const char* columns, const char* from)
{
    return std::string("SELECT ") + columns + " FROM " + from;
}

// A scene's paragraphs, in their order.
inline std::vector<ScriptPart> readScript(sqlite3_stmt* byCard, std::int64_t sceneCardID)
{
    sqlite3_bind_int64(byCard, 1, sceneCardID);
    std::vector<ScriptPart> parts;
    while (sqlite3_step(byCard) == SQLITE_ROW) {
        parts.emplace_back();
        readRow(byCard, parts.back());
    }
    sqlite3_reset(byCard);
    return parts;
}

// The statement that reads one scene's paragraphs for readScript.
inline std::string scriptOfCardSql()
{
    return select(kScriptPartColumns, "ScriptPart WHERE SceneCardID=? ORDER BY SortOrder");
}

struct Story {
    Screenplay row;
    std::vector<Logline> loglines;
    std::vector<GreenlightChecklistQuestion> questions;
    std::vector<CharacterObject> characterObjects;
    std::vector<Character> characters;
    std::vector<AttachedObject> attachments;
    std::vector<SceneCardObject> sceneCardObjects;
    std::vector<SceneCardCharacter> sceneCardCharacters;
    std::vector<StickyNote> stickyNotes;
    std::vector<SceneLocationObject> locationObjects;
    std::vector<SceneLocation> locations;
    std::vector<ScriptElement> elements;
    std::vector<ColorCode> colorCodes;
    std::vector<Beat> beats;
    std::vector<SceneSetup> setups;
    std::vector<ScenePayoff> payoffs;
    std::vector<SceneCard> board;
    std::vector<SceneCard> litterBox;
};

inline bool beforeIgnoringCase(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

// The characters' attachment links handed to their characters, and the characters in name order.
inline void linkCharacters(Story& story)
{
    std::unordered_map<std::int64_t, Character*> byKey;
    for (Character& character : story.characters)
        byKey.emplace(character.characterID, &character);
    for (const CharacterObject& link : story.characterObjects)
        if (const auto found = byKey.find(link.characterID); found != byKey.end())
            found->second->links.push_back(&link);
    std::stable_sort(story.characters.begin(), story.characters.end(),
                     [](const Character& a, const Character& b) { return beforeIgnoringCase(a.characterName, b.characterName); });
}

// Each card's attachment link given its attachment's title.
inline void titleCardAttachments(Story& story)
{
    std::unordered_map<std::int64_t, const AttachedObject*> attachments;
    for (const AttachedObject& attachment : story.attachments)
        attachments.emplace(attachment.attachedObjectID, &attachment);
    for (SceneCardObject& link : story.sceneCardObjects)
        if (const auto found = attachments.find(link.attachedObjectID); found != attachments.end())
            link.title = found->second->title;
}

// Each card's character link given its character's name.
inline void nameCardCharacters(Story& story)
{
    std::unordered_map<std::int64_t, const Character*> byKey;
    for (const Character& character : story.characters)
        byKey.emplace(character.characterID, &character);
    for (SceneCardCharacter& link : story.sceneCardCharacters)
        if (const auto found = byKey.find(link.characterID); found != byKey.end())
            link.characterName = found->second->characterName;
}

// The locations' attachment links handed to their locations, and the locations in name order.
inline void linkLocations(Story& story)
{
    std::unordered_map<std::int64_t, SceneLocation*> byKey;
    for (SceneLocation& location : story.locations)
        byKey.emplace(location.sceneLocationID, &location);
    for (const SceneLocationObject& link : story.locationObjects)
        if (const auto found = byKey.find(link.sceneLocationID); found != byKey.end())
            found->second->links.push_back(&link);
    std::stable_sort(story.locations.begin(), story.locations.end(),
                     [](const SceneLocation& a, const SceneLocation& b) { return beforeIgnoringCase(a.location, b.location); });
}

// Each set-up given its pay-off's text, and each pay-off the first set-up that names it.
inline void linkSetupsAndPayoffs(Story& story)
{
    std::unordered_map<std::int64_t, ScenePayoff*> byKey;
    for (ScenePayoff& payoff : story.payoffs)
        byKey.emplace(payoff.scenePayoffID, &payoff);
    for (SceneSetup& setup : story.setups) {
        const auto found = setup.scenePayoffID > 0 ? byKey.find(setup.scenePayoffID) : byKey.end();
        if (found == byKey.end())
            continue;
        setup.payoffText = found->second->scenePayoff;
        if (found->second->sceneSetupID == 0) {
            found->second->sceneSetupID = setup.sceneSetupID;
            found->second->setupText = setup.sceneSetup;
        }
    }
}

// The cards, in board order, shared between the board and the Litter Box, and the set-ups and
// pay-offs in their cards' order.
inline void placeCards(Story& story, std::vector<SceneCard> cards)
{
    std::unordered_map<std::int64_t, std::int64_t> sortOrders;
    for (SceneCard& card : cards) {
        sortOrders.emplace(card.sceneCardID, card.sortOrder);
        (card.onBoard == 1 ? story.board : story.litterBox).push_back(std::move(card));
    }
    const auto byCard = [&sortOrders](std::int64_t a, const QString& aText, std::int64_t b, const QString& bText) {
        const auto orderOf = [&sortOrders](std::int64_t card) {
            const auto found = sortOrders.find(card);
            return found == sortOrders.end() ? std::int64_t{0} : found->second;
        };
        if (orderOf(a) != orderOf(b))
            return orderOf(a) < orderOf(b);
        if (a != b)
            return a < b;
        return beforeIgnoringCase(aText, bText);
    };
    std::stable_sort(story.setups.begin(), story.setups.end(), [&byCard](const SceneSetup& a, const SceneSetup& b) {
        return byCard(a.sceneCardID, a.sceneSetup, b.sceneCardID, b.sceneSetup);
    });
    std::stable_sort(story.payoffs.begin(), story.payoffs.end(), [&byCard](const ScenePayoff& a, const ScenePayoff& b) {
        return byCard(a.sceneCardID, a.scenePayoff, b.sceneCardID, b.scenePayoff);
    });
}

// Reads the story of the file's one Screenplay row.
inline Story read(sqlite3* db)
{
    Story story;
    if (std::vector<Screenplay> rows = readRows<Screenplay>(db, select(kScreenplayColumns, "Screenplay")); !rows.empty())
        story.row = std::move(rows.front());
    const std::int64_t id = story.row.screenplayID;
    story.loglines = readRows<Logline>(db, select(kLoglineColumns, "Logline WHERE ScreenplayID=? ORDER BY LoglineID"), id);
    story.questions = readRows<GreenlightChecklistQuestion>(
        db, select(kGreenlightChecklistQuestionColumns, "GreenlightChecklistQuestion WHERE ScreenplayID=? ORDER BY QuestionNumber"),
        id);
    story.characterObjects = readRows<CharacterObject>(db, select(kCharacterObjectColumns, "CharacterObject"));
    story.characters = readRows<Character>(db, select(kCharacterColumns, "Character WHERE ScreenplayID=?"), id);
    linkCharacters(story);
    story.attachments = readRows<AttachedObject>(db, select(kAttachedObjectColumns, "AttachedObject WHERE ScreenplayID=?"), id);
    story.sceneCardObjects = readRows<SceneCardObject>(
        db, select(kSceneCardObjectColumns, "SceneCardObject INNER JOIN SceneCard ON SceneCardObject.SceneCardID = "
                                            "SceneCard.SceneCardID WHERE SceneCard.ScreenplayID=?"),
        id);
    titleCardAttachments(story);
    story.sceneCardCharacters = readRows<SceneCardCharacter>(
        db, select(kSceneCardCharacterColumns, "SceneCardCharacter INNER JOIN SceneCard ON SceneCardCharacter.SceneCardID "
                                               "= SceneCard.SceneCardID WHERE SceneCard.ScreenplayID=?"),
        id);
    nameCardCharacters(story);
    story.stickyNotes = readRows<StickyNote>(db, select(kStickyNoteColumns, "StickyNote WHERE ScreenplayID=?"), id);
    story.locationObjects = readRows<SceneLocationObject>(
        db, select(kSceneLocationObjectColumns, "SceneLocationObject INNER JOIN SceneLocation ON "
                                                "SceneLocationObject.SceneLocationID = SceneLocation.SceneLocationID "
                                                "WHERE ScreenplayID=?"),
        id);
    story.locations = readRows<SceneLocation>(db, select(kSceneLocationColumns, "SceneLocation WHERE ScreenplayID=?"), id);
    linkLocations(story);
    story.elements = readRows<ScriptElement>(db, select(kScriptElementColumns, "ScriptElement ORDER BY ScriptElementID"));
    story.colorCodes = readRows<ColorCode>(db, select(kColorCodeColumns, "ColorCode WHERE ScreenplayID=?"), id);
    story.beats = readRows<Beat>(db, select(kBeatColumns, "Beat WHERE ScreenplayID=?"), id);
    story.setups = readRows<SceneSetup>(db, select(kSceneSetupColumns, "SceneSetup"));
    story.payoffs = readRows<ScenePayoff>(db, select(kScenePayoffColumns, "ScenePayoff"));
    linkSetupsAndPayoffs(story);
    placeCards(story, readRows<SceneCard>(db, select(kSceneCardColumns,
                                                     "SceneCard WHERE ScreenplayID=? ORDER BY CurrentBeatSection,SortOrder"),
                                          id));
    return story;
}

// Every card's script, read with one SELECT in card order and handed to its card through a
// hash map.
inline void readEveryScript(sqlite3* db, Story& story)
{
    std::unordered_map<std::int64_t, SceneCard*> cards;
    for (auto* list : {&story.board, &story.litterBox})
        for (SceneCard& card : *list)
            cards.emplace(card.sceneCardID, &card);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, select(kScriptPartColumns, "ScriptPart ORDER BY SceneCardID,SortOrder").c_str(), -1,
                       &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const auto found = cards.find(sqlite3_column_int64(statement, 1));
        if (found == cards.end())
            continue;
        found->second->paragraphs.emplace_back();
        readRow(statement, found->second->paragraphs.back());
    }
    sqlite3_finalize(statement);
}

} // namespace PlainStory
