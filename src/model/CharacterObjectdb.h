#pragma once

#include "AttachedObjectdb.h"

// A link from a character to one of its attachments.
class CharacterObjectdb : public AttachmentLink
{
public:
    CharacterObjectdb() = default;
    CharacterObjectdb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

    std::int64_t characterObjectID() const { return linkID(); }
    void setCharacterObjectID(std::int64_t key) { setLinkID(key); }
    std::int64_t characterID() const { return ownerID(); }
    void setCharacterID(std::int64_t key) { setOwnerID(key); }

protected:
    const char* sourceName() const override { return "CharacterObjectdb"; }
    const Statements& statements() const override;
};
