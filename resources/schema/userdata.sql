-- Master file schema: the user's own data shared by all of the user's stories.

-- One row, used without a key: read as the first row, updated and deleted as a whole table.
CREATE TABLE UserInformation (
  SerialNumber text NOT NULL DEFAULT '',
  FirstName text NOT NULL DEFAULT '',
  LastName text NOT NULL DEFAULT '',
  EmailAddress text NOT NULL DEFAULT ''
);

CREATE TABLE ColorCode (
  ColorCodeID INTEGER PRIMARY KEY,
  Description text NOT NULL DEFAULT '',
  RedValue integer NOT NULL DEFAULT 0,
  GreenValue integer NOT NULL DEFAULT 0,
  BlueValue integer NOT NULL DEFAULT 0,
  AlphaValue integer NOT NULL DEFAULT 0
);

CREATE TABLE DefaultSetting (
  DefaultSettingID INTEGER PRIMARY KEY,
  Setting text NOT NULL DEFAULT '',
  Value text NOT NULL DEFAULT ''
);

-- The ten default colour codes; the first one, "Major Turns", can never be deleted or renamed.
INSERT INTO ColorCode (ColorCodeID,Description,RedValue,GreenValue,BlueValue,AlphaValue) VALUES
  (1,'Major Turns',255,0,0,255),
  (2,'Theme',255,128,128,255),
  (3,'Repeating Imagery',255,156,108,255),
  (4,'Character A Arc',255,255,128,255),
  (5,'Character B Arc',128,255,255,255),
  (6,'Character C Arc',102,179,255,255),
  (7,'B Story',0,0,255,255),
  (8,'C Story',128,255,128,255),
  (9,'D Story',255,128,192,255),
  (10,'Needs More Work',255,128,192,255);

INSERT INTO DefaultSetting (Setting,Value) VALUES ('AUTOTIPS','Y');
