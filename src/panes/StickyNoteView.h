#pragma once

#include "BoardNoteView.h"

class StickyNotedb;

// A sticky note of the notes board: a title and a rich-text note on a card of the note palette,
// moved by its tack and resized by its handle. It shows one StickyNotedb record of the story and
// writes every change to it at once.
class StickyNoteView : public BoardNoteView
{
    Q_OBJECT

public:
    StickyNoteView(MyDocument* parent, Screenplaydb* screenplay, GeneralNotesView* board, StickyNotedb* stickyNote);

    StickyNotedb* stickyNote() const { return stickyNote_; }

    // Title and text from the record: the RTF when it holds text, else the plain text.
    void refreshView() override;

protected:
    std::int64_t colorID() const override;
    void storeColor(std::int64_t colorID) override;
    void storePlace(const NotesBoardGeometry::StoredPlace& place) override;
    void storeSize(const QSize& size) override;
    void storeTitle(const QString& title) override;
    void storeText(const QString& rtf, const QString& plain) override;
    void deleteNote() override;

private:
    StickyNotedb* stickyNote_;
};
