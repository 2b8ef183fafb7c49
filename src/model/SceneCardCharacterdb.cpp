#include "SceneCardCharacterdb.h"

#include "RecordSorting.h"

const char* SceneCardCharacterdb::selectByKeySql()
{
    return "SELECT SceneCardID,CharacterID,Description FROM SceneCardCharacter "
                           "WHERE SceneCardCharacterID=?";
}

void SceneCardCharacterdb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("sceneCardCharacter_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void SceneCardCharacterdb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    sceneCardCharacterID_ = key;
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setSceneCardID(row.columnInt(0));
        setCharacterID(row.columnInt(1));
        setDescription(row.columnText(2));
    }
    setIsDirty(false);
}

void SceneCardCharacterdb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("sceneCardCharacter_save_statement",
                              "UPDATE SceneCardCharacter SET SceneCardID=?,CharacterID=?,Description=? "
                              "WHERE SceneCardCharacterID=?");
    update.bindAll(1, sceneCardID_, characterID_, description_, sceneCardCharacterID_);
    finishSave(update);
}

void SceneCardCharacterdb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("sceneCardCharacter_insert_statement",
                              "INSERT INTO SceneCardCharacter (SceneCardID,CharacterID,Description) VALUES (?,?,?)");
    insert.bindAll(1, sceneCardID_, characterID_, description_);
    sceneCardCharacterID_ = finishInsert(insert);
}

void SceneCardCharacterdb::deleteFromDatabase()
{
    deleteRow("sceneCardCharacter_delete_statement", "DELETE FROM SceneCardCharacter WHERE SceneCardCharacterID=?",
              sceneCardCharacterID_);
}

int SceneCardCharacterdb::sortBySceneCardID(const SceneCardCharacterdb& other) const
{
    const bool onCard = sceneCardID_ > 0;
    if (onCard != (other.sceneCardID_ > 0))
        return onCard ? -1 : 1;
    return sortByCharacterName(other);
}

int SceneCardCharacterdb::sortByCharacterName(const SceneCardCharacterdb& other) const
{
    return compareValues(QString::compare(characterName_, other.characterName_, Qt::CaseInsensitive), 0);
}
