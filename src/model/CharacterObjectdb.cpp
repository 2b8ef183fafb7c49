#include "CharacterObjectdb.h"

const AttachmentLink::Statements& CharacterObjectdb::statements() const
{
    static const Statements texts{
        "characterObject_init_statement",
        "SELECT CharacterID,AttachedObjectID,Description,PrimaryDisplayFlag FROM CharacterObject WHERE CharacterObjectID=?",
        "characterObject_save_statement",
        "UPDATE CharacterObject SET CharacterID=?,AttachedObjectID=?,Description=?,PrimaryDisplayFlag=? WHERE CharacterObjectID=?",
        "characterObject_insert_statement",
        "INSERT INTO CharacterObject (CharacterID,AttachedObjectID,Description,PrimaryDisplayFlag) VALUES (?,?,?,?)",
        "characterObject_delete_statement",
        "DELETE FROM CharacterObject WHERE CharacterObjectID=?",
    };
    return texts;
}
