#include "StickyNoteView.h"

#include "GeneralNotesView.h"
#include "NoteRichText.h"
#include "model/StickyNotedb.h"

#include <QTextDocument>

StickyNoteView::StickyNoteView(MyDocument* parent, Screenplaydb* screenplay, GeneralNotesView* board,
                               StickyNotedb* stickyNote)
    : BoardNoteView(QStringLiteral("StickyNoteView"), parent, screenplay, board,
                    QSize(NotesBoardGeometry::kStickyNoteWidth, NotesBoardGeometry::kStickyNoteHeight),
                    tr("Delete Note"))
    , stickyNote_(stickyNote)
{
    refreshView();
}

void StickyNoteView::refreshView()
{
    tfTitle()->setText(stickyNote_->title());
    tfTitle()->setModified(false);
    QTextDocument* document = txtDescription()->document();
    if (!NoteRichText::read(*document, stickyNote_->note()))
        document->setPlainText(stickyNote_->textNote());
    document->setModified(false);
    setBackgroundColor();
}

std::int64_t StickyNoteView::colorID() const
{
    return stickyNote_->color();
}

void StickyNoteView::storeColor(std::int64_t colorID)
{
    stickyNote_->setColor(colorID);
    stickyNote_->save();
}

void StickyNoteView::storePlace(const NotesBoardGeometry::StoredPlace& place)
{
    NotesBoardGeometry::setPlace(*stickyNote_, place);
    stickyNote_->save();
}

void StickyNoteView::storeSize(const QSize& size)
{
    stickyNote_->setSizeWidth(size.width());
    stickyNote_->setSizeHeight(size.height());
    stickyNote_->save();
}

void StickyNoteView::storeTitle(const QString& title)
{
    stickyNote_->setTitle(title);
    stickyNote_->save();
}

void StickyNoteView::storeText(const QString& rtf, const QString& plain)
{
    stickyNote_->setNote(rtf);
    stickyNote_->setTextNote(plain);
    stickyNote_->save();
}

void StickyNoteView::deleteNote()
{
    myGeneralNotesParent()->deleteStickyNoteID(stickyNote_->stickyNoteID());
}
