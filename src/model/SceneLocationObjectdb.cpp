#include "SceneLocationObjectdb.h"

const AttachmentLink::Statements& SceneLocationObjectdb::statements() const
{
    static const Statements texts{
        "sceneLocationObject_init_statement",
        "SELECT SceneLocationID,AttachedObjectID,Description,PrimaryDisplayFlag FROM SceneLocationObject WHERE SceneLocationObjectID=?",
        "sceneLocationObject_save_statement",
        "UPDATE SceneLocationObject SET SceneLocationID=?,AttachedObjectID=?,Description=?,PrimaryDisplayFlag=? WHERE SceneLocationObjectID=?",
        "sceneLocationObject_insert_statement",
        "INSERT INTO SceneLocationObject (SceneLocationID,AttachedObjectID,Description,PrimaryDisplayFlag) VALUES (?,?,?,?)",
        "sceneLocationObject_delete_statement",
        "DELETE FROM SceneLocationObject WHERE SceneLocationObjectID=?",
    };
    return texts;
}
