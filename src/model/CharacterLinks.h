#pragma once

#include <QString>

class Characterdb;
class SceneCarddb;
class Screenplaydb;

// The characters that script lines name, found or made in the story and linked to the card
// whose script names them. Used by the imports that turn script text into script parts.
namespace CharacterLinks {

// The name a script's character cue stands for: the text before the first "(", trimmed and in
// capitals, or the whole trimmed text when it has no "("; empty for a cue that begins with "(".
QString characterNameForCue(const QString& cue);

// The story's character of exactly that name, made and inserted when there is none.
Characterdb& characterNamed(const QString& name, Screenplaydb& story);

// Links the character that the cue names to the card, once; a cue that names nobody links
// nothing. Writes go to the story's database.
void linkCharacterOfCue(const QString& cue, SceneCarddb& card, Screenplaydb& story);

} // namespace CharacterLinks
