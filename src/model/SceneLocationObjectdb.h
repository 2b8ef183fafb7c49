#pragma once

#include "AttachedObjectdb.h"

// A link from a location to one of its attachments.
class SceneLocationObjectdb : public AttachmentLink
{
public:
    SceneLocationObjectdb() = default;
    SceneLocationObjectdb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

    std::int64_t sceneLocationObjectID() const { return linkID(); }
    void setSceneLocationObjectID(std::int64_t key) { setLinkID(key); }
    std::int64_t sceneLocationID() const { return ownerID(); }
    void setSceneLocationID(std::int64_t key) { setOwnerID(key); }

protected:
    const char* sourceName() const override { return "SceneLocationObjectdb"; }
    const Statements& statements() const override;
};
