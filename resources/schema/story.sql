-- Story file schema. Every table's key is its row id; a reference column holding 0 refers to nothing.
-- Text columns default to '' so that a row never holds NULL text.

CREATE TABLE Screenplay (
  ScreenplayID INTEGER PRIMARY KEY,
  ScreenplayGUID text NOT NULL DEFAULT '',
  VantoraVersion text NOT NULL DEFAULT '',
  ScreenplayTitle text NOT NULL DEFAULT '',
  PageCount integer NOT NULL DEFAULT 110,
  GeneralNotes text NOT NULL DEFAULT '',
  Genre text NOT NULL DEFAULT '',
  CreateDate text NOT NULL DEFAULT '0001-01-01 00:00:00',
  ProgressStage integer NOT NULL DEFAULT 0,
  OwnerSerialNumber text NOT NULL DEFAULT '',
  OwnerFirstName text NOT NULL DEFAULT '',
  OwnerLastName text NOT NULL DEFAULT '',
  ReturnDestination integer NOT NULL DEFAULT 0,
  ReviewType integer NOT NULL DEFAULT 0,
  BoardWidth integer NOT NULL DEFAULT 1840,
  BoardHeight integer NOT NULL DEFAULT 720,
  WindowState integer NOT NULL DEFAULT 2,
  BoardZoomFactor integer NOT NULL DEFAULT 1,
  LogLineSplitterDistance integer NOT NULL DEFAULT 75,
  GeneralNotesSplitterDistance integer NOT NULL DEFAULT 580,
  BeatsSplitterDistance integer NOT NULL DEFAULT 408,
  BoardSplitterDistance integer NOT NULL DEFAULT 370,
  ParentWindowHeight integer NOT NULL DEFAULT 768,
  ParentWindowWidth integer NOT NULL DEFAULT 1024,
  GeneralNotesHeight integer NOT NULL DEFAULT 1600,
  GeneralNotesWidth integer NOT NULL DEFAULT 1900,
  LastModifiedDate text NOT NULL DEFAULT '0001-01-01 00:00:00',
  BoardView integer NOT NULL DEFAULT 1,
  BigSceneView integer NOT NULL DEFAULT 0,
  BigSceneSceneCardID integer NOT NULL DEFAULT 0,
  BoardListSortMethod integer NOT NULL DEFAULT 1,
  BoardListFilterColorID integer NOT NULL DEFAULT 0,
  BoardListFilterCharacterID integer NOT NULL DEFAULT 0,
  BoardListFilterLocationID integer NOT NULL DEFAULT 0,
  StandardFontSetting integer NOT NULL DEFAULT 1,
  R3x5IncludeNotes integer NOT NULL DEFAULT 1,
  R3x5IncludeCharacters integer NOT NULL DEFAULT 1,
  R4x6IncludeNotes integer NOT NULL DEFAULT 1,
  R4x6IncludeCharacters integer NOT NULL DEFAULT 1,
  A3x5IncludeNotes integer NOT NULL DEFAULT 1,
  A3x5IncludeCharacters integer NOT NULL DEFAULT 1,
  ABCIncludeNotes integer NOT NULL DEFAULT 1,
  ABCIncludeCharacters integer NOT NULL DEFAULT 1,
  GreenlightChecklistPercentageHorizontal double NOT NULL DEFAULT 0.01,
  GreenlightChecklistPercentageVertical double NOT NULL DEFAULT 0.01,
  BeatSectionShowing integer NOT NULL DEFAULT 0,
  BeatSectionCharacterID integer NOT NULL DEFAULT 0,
  BeatSectionLocationID integer NOT NULL DEFAULT 0
);

CREATE TABLE SceneCard (
  SceneCardID INTEGER PRIMARY KEY,
  ScreenplayID integer NOT NULL DEFAULT 0,
  Heading text NOT NULL DEFAULT '',
  SceneLocationID integer NOT NULL DEFAULT 0,
  Description text NOT NULL DEFAULT '',
  Notes text NOT NULL DEFAULT '',
  Script text NOT NULL DEFAULT '',
  EmotionalChange text NOT NULL DEFAULT '',
  EmotionalChangeType integer NOT NULL DEFAULT 0,
  Conflict text NOT NULL DEFAULT '',
  BeatCardNumber integer NOT NULL DEFAULT 0,
  PageNumber integer NOT NULL DEFAULT 0,
  PositionLeft integer NOT NULL DEFAULT 0,
  PositionTop integer NOT NULL DEFAULT 0,
  PercentageHorizontal double NOT NULL DEFAULT 0,
  PercentageVertical double NOT NULL DEFAULT 0,
  OnBoard integer NOT NULL DEFAULT 1,
  SortOrder integer NOT NULL DEFAULT 0,
  StartDateTime text NOT NULL DEFAULT '0001-01-01 00:00:00',
  EndDateTime text NOT NULL DEFAULT '0001-01-01 00:00:00',
  ColorLegend1ID integer NOT NULL DEFAULT 0,
  ColorLegend2ID integer NOT NULL DEFAULT 0,
  ColorLegend3ID integer NOT NULL DEFAULT 0,
  ColorLegend4ID integer NOT NULL DEFAULT 0,
  ColorLegend5ID integer NOT NULL DEFAULT 0,
  ColorLegend6ID integer NOT NULL DEFAULT 0,
  SceneNumber text NOT NULL DEFAULT '',
  CurrentBeatSection integer NOT NULL DEFAULT 1
);

CREATE TABLE ScriptPart (
  ScriptPartID INTEGER PRIMARY KEY,
  SceneCardID integer NOT NULL DEFAULT 0,
  SortOrder integer NOT NULL DEFAULT 0,
  ElementTypeID integer NOT NULL DEFAULT 0,
  ScriptText text NOT NULL DEFAULT ''
);
CREATE INDEX idxScriptPartSortOrder on ScriptPart (ScriptPartID,SortOrder);
-- A scene's paragraphs are read by card, in sort order.
CREATE INDEX idxScriptPartSceneCard on ScriptPart (SceneCardID,SortOrder);

CREATE TABLE ScriptElement (
  ScriptElementID INTEGER PRIMARY KEY,
  ElementType text NOT NULL DEFAULT '',
  LeftIndent double NOT NULL DEFAULT 0,
  RightIndent double NOT NULL DEFAULT 0,
  Alignment text NOT NULL DEFAULT 'Left'
);

CREATE TABLE Beat (
  BeatID INTEGER PRIMARY KEY,
  ScreenplayID integer NOT NULL DEFAULT 0,
  BeatNumber integer NOT NULL DEFAULT 0,
  Description text NOT NULL DEFAULT ''
);

CREATE TABLE Logline (
  LoglineID INTEGER PRIMARY KEY,
  ScreenplayID integer NOT NULL DEFAULT 0,
  Logline text NOT NULL DEFAULT '',
  CurrentLoglineFlag integer NOT NULL DEFAULT 0
);

CREATE TABLE GreenlightChecklistQuestion (
  GreenlightChecklistQuestionID INTEGER PRIMARY KEY,
  ScreenplayID integer NOT NULL DEFAULT 0,
  QuestionNumber integer NOT NULL DEFAULT 0,
  Answer text NOT NULL DEFAULT 'N'
);

CREATE TABLE Character (
  CharacterID INTEGER PRIMARY KEY,
  ScreenplayID integer NOT NULL DEFAULT 0,
  CharacterName text NOT NULL DEFAULT '',
  Age text NOT NULL DEFAULT '',
  Gender text NOT NULL DEFAULT '',
  Description text NOT NULL DEFAULT '',
  Wants text NOT NULL DEFAULT '',
  Needs text NOT NULL DEFAULT '',
  Notes text NOT NULL DEFAULT '',
  NeedsFixing1 text NOT NULL DEFAULT '',
  NeedsFixing1Notes text NOT NULL DEFAULT '',
  NeedsFixing2 text NOT NULL DEFAULT '',
  NeedsFixing2Notes text NOT NULL DEFAULT '',
  NeedsFixing3 text NOT NULL DEFAULT '',
  NeedsFixing3Notes text NOT NULL DEFAULT '',
  NeedsFixing4 text NOT NULL DEFAULT '',
  NeedsFixing4Notes text NOT NULL DEFAULT '',
  NeedsFixing5 text NOT NULL DEFAULT '',
  NeedsFixing5Notes text NOT NULL DEFAULT '',
  NeedsFixing6 text NOT NULL DEFAULT '',
  NeedsFixing6Notes text NOT NULL DEFAULT ''
);

CREATE TABLE SceneLocation (
  SceneLocationID INTEGER PRIMARY KEY,
  ScreenplayID integer NOT NULL DEFAULT 0,
  Location text NOT NULL DEFAULT '',
  Description text NOT NULL DEFAULT '',
  Notes text NOT NULL DEFAULT ''
);

CREATE TABLE ColorCode (
  ColorCodeID INTEGER PRIMARY KEY,
  ScreenplayID integer NOT NULL DEFAULT 0,
  Description text NOT NULL DEFAULT '',
  RedValue integer NOT NULL DEFAULT 0,
  GreenValue integer NOT NULL DEFAULT 0,
  BlueValue integer NOT NULL DEFAULT 0,
  AlphaValue integer NOT NULL DEFAULT 255
);

CREATE TABLE StickyNote (
  StickyNoteID INTEGER PRIMARY KEY,
  ScreenplayID integer NOT NULL DEFAULT 0,
  Title text NOT NULL DEFAULT '',
  Note text NOT NULL DEFAULT '',
  PositionLeft integer NOT NULL DEFAULT 0,
  PositionTop integer NOT NULL DEFAULT 0,
  PercentageHorizontal double NOT NULL DEFAULT 0,
  PercentageVertical double NOT NULL DEFAULT 0,
  SizeWidth integer NOT NULL DEFAULT 0,
  SizeHeight integer NOT NULL DEFAULT 0,
  Color integer NOT NULL DEFAULT 0,
  TextNote text NOT NULL DEFAULT ''
);

CREATE TABLE AttachedObject (
  AttachedObjectID INTEGER PRIMARY KEY,
  ScreenplayID integer NOT NULL DEFAULT 0,
  Title text NOT NULL DEFAULT '',
  Description text NOT NULL DEFAULT '',
  ObjectType integer NOT NULL DEFAULT 0,
  CurrentView integer NOT NULL DEFAULT 0,
  FileName text NOT NULL DEFAULT '',
  PositionLeft integer NOT NULL DEFAULT 0,
  PositionTop integer NOT NULL DEFAULT 0,
  PercentageHorizontal double NOT NULL DEFAULT 0,
  PercentageVertical double NOT NULL DEFAULT 0,
  SizeHeight integer NOT NULL DEFAULT 0,
  SizeWidth integer NOT NULL DEFAULT 0,
  Color integer NOT NULL DEFAULT 0,
  LastFullImageWidth integer NOT NULL DEFAULT 0,
  LastFullImageHeight integer NOT NULL DEFAULT 0,
  TextDescription text NOT NULL DEFAULT '',
  Thumbnail blob,
  AttachedObject blob,
  MimeType varchar(30) not null default ''
);

CREATE TABLE CharacterObject (
  CharacterObjectID INTEGER PRIMARY KEY,
  CharacterID integer NOT NULL DEFAULT 0,
  AttachedObjectID integer NOT NULL DEFAULT 0,
  Description text NOT NULL DEFAULT '',
  PrimaryDisplayFlag integer NOT NULL DEFAULT 0
);
-- The link tables and the set-ups hold rows that look alike from table to table, and rows that
-- name records which are gone: their indexes let SQLite's own check see a page of one of them
-- read in the place of another's.
CREATE INDEX idxCharacterObjectCharacter on CharacterObject (CharacterID,AttachedObjectID);

CREATE TABLE SceneLocationObject (
  SceneLocationObjectID INTEGER PRIMARY KEY,
  SceneLocationID integer NOT NULL DEFAULT 0,
  AttachedObjectID integer NOT NULL DEFAULT 0,
  Description text NOT NULL DEFAULT '',
  PrimaryDisplayFlag integer NOT NULL DEFAULT 0
);
CREATE INDEX idxSceneLocationObjectLocation on SceneLocationObject (SceneLocationID,AttachedObjectID);

CREATE TABLE SceneCardObject (
  SceneCardObjectID INTEGER PRIMARY KEY,
  SceneCardID integer NOT NULL DEFAULT 0,
  AttachedObjectID integer NOT NULL DEFAULT 0,
  Description text NOT NULL DEFAULT '',
  PrimaryDisplayFlag integer NOT NULL DEFAULT 0
);
CREATE INDEX idxSceneCardObjectSceneCard on SceneCardObject (SceneCardID,AttachedObjectID);

CREATE TABLE SceneCardCharacter (
  SceneCardCharacterID INTEGER PRIMARY KEY,
  SceneCardID integer NOT NULL DEFAULT 0,
  CharacterID integer NOT NULL DEFAULT 0,
  Description text NOT NULL DEFAULT ''
);
CREATE INDEX idxSceneCardCharacterSceneCard on SceneCardCharacter (SceneCardID,CharacterID);

CREATE TABLE SceneSetup (
  SceneSetupID INTEGER PRIMARY KEY,
  SceneCardID integer NOT NULL DEFAULT 0,
  SceneSetup text NOT NULL DEFAULT '',
  ScenePayoffID integer NOT NULL DEFAULT 0
);
CREATE INDEX idxSceneSetupSceneCard on SceneSetup (SceneCardID,ScenePayoffID);

CREATE TABLE ScenePayoff (
  ScenePayoffID INTEGER PRIMARY KEY,
  SceneCardID integer NOT NULL DEFAULT 0,
  ScenePayoff text NOT NULL DEFAULT ''
);
