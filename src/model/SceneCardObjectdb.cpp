#include "SceneCardObjectdb.h"

#include "RecordSorting.h"

const AttachmentLink::Statements& SceneCardObjectdb::statements() const
{
    static const Statements texts{
        "sceneCardObject_init_statement",
        "SELECT SceneCardID,AttachedObjectID,Description,PrimaryDisplayFlag FROM SceneCardObject WHERE SceneCardObjectID=?",
        "sceneCardObject_save_statement",
        "UPDATE SceneCardObject SET SceneCardID=?,AttachedObjectID=?,Description=?,PrimaryDisplayFlag=? WHERE SceneCardObjectID=?",
        "sceneCardObject_insert_statement",
        "INSERT INTO SceneCardObject (SceneCardID,AttachedObjectID,Description,PrimaryDisplayFlag) VALUES (?,?,?,?)",
        "sceneCardObject_delete_statement",
        "DELETE FROM SceneCardObject WHERE SceneCardObjectID=?",
    };
    return texts;
}

int SceneCardObjectdb::sortBySceneCardID(const SceneCardObjectdb& other) const
{
    const bool onCard = sceneCardID() > 0;
    if (onCard != (other.sceneCardID() > 0))
        return onCard ? -1 : 1;
    return compareValues(QString::compare(title_, other.title_, Qt::CaseInsensitive), 0);
}
