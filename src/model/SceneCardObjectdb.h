#pragma once

#include "AttachedObjectdb.h"

// A link from a scene card to one of its attachments.
class SceneCardObjectdb : public AttachmentLink
{
public:
    SceneCardObjectdb() = default;
    SceneCardObjectdb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

    std::int64_t sceneCardObjectID() const { return linkID(); }
    void setSceneCardObjectID(std::int64_t key) { setLinkID(key); }
    std::int64_t sceneCardID() const { return ownerID(); }
    void setSceneCardID(std::int64_t key) { setOwnerID(key); }

    // The linked attachment's title, filled for display; held in memory only, setting it never
    // marks the link dirty.
    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }

    // Links to a scene card (sceneCardID above 0) before links without one; within each group
    // by title, ignoring case, whatever the two cards. Answers -1, 0 or 1.
    int sortBySceneCardID(const SceneCardObjectdb& other) const;

protected:
    const char* sourceName() const override { return "SceneCardObjectdb"; }
    const Statements& statements() const override;

private:
    QString title_ = QString(QLatin1String(""));
};
