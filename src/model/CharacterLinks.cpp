#include "CharacterLinks.h"

#include "Characterdb.h"
#include "SceneCardCharacterdb.h"
#include "SceneCarddb.h"
#include "Screenplaydb.h"

#include <algorithm>
#include <memory>

namespace CharacterLinks {

QString characterNameForCue(const QString& cue)
{
    const qsizetype bracket = cue.indexOf(QLatin1Char('('));
    if (bracket < 0)
        return cue.trimmed();
    return cue.left(bracket).trimmed().toUpper();
}

Characterdb& characterNamed(const QString& name, Screenplaydb& story)
{
    if (Characterdb* found = story.characterForCharacterName(name))
        return *found;
    auto character = std::make_unique<Characterdb>();
    character->setCharacterName(name);
    character->setScreenplayID(story.screenplayID());
    character->insertIntoDatabase(&story);
    story.characters().push_back(std::move(character));
    return *story.characters().back();
}

void linkCharacterOfCue(const QString& cue, SceneCarddb& card, Screenplaydb& story)
{
    const QString name = characterNameForCue(cue);
    if (name.isEmpty())
        return;
    const Characterdb& character = characterNamed(name, story);
    const auto& links = card.sceneCardCharacters();
    if (std::any_of(links.begin(), links.end(),
                    [&](const SceneCardCharacterdb* link) { return link->characterID() == character.characterID(); }))
        return;
    auto link = std::make_unique<SceneCardCharacterdb>();
    link->setCharacterID(character.characterID());
    link->setSceneCardID(card.sceneCardID());
    link->setCharacterName(character.characterName());
    link->insertIntoDatabase(&story);
    card.sceneCardCharacters().push_back(link.get());
    story.sceneCardCharacters().push_back(std::move(link));
}

} // namespace CharacterLinks
