// The notes pane of the document: the general-notes board in its scroll view.

#include "AttachedObjectView.h"
#include "GeneralNotesView.h"
#include "app/MyDocument.h"
#include "board/ImageViewResponder.h"
#include "model/AttachedObjectdb.h"

#include <QScrollArea>
#include <QScrollBar>

QWidget* MyDocument::generalNotesView() const
{
    return generalNotesBoard_ ? generalNotesBoard_->view() : nullptr;
}

void MyDocument::setAttachmentNoteTackDown(std::int64_t attachedObjectID) const
{
    if (!generalNotesBoard_)
        return;
    for (const auto& note : generalNotesBoard_->attachedObjectViews()) {
        if (note->attachedObject() && note->attachedObject()->attachedObjectID() == attachedObjectID) {
            note->imgThumbTack()->setImageNamed(QStringLiteral("BlueThumbDown"));
            return;
        }
    }
}

void MyDocument::layoutGeneralNotes()
{
    generalNotesBoard_.reset();
    delete scrNotes_;
    scrNotes_ = addPaneScrollView(QStringLiteral("scrNotes"), notesPane_, standardBackgroundColor_);
    generalNotesBoard_ = std::make_unique<GeneralNotesView>(this, currentScreenplay_.get());
    scrNotes_->setWidget(generalNotesBoard_->view());
    scrNotes_->horizontalScrollBar()->setValue(0);
    scrNotes_->verticalScrollBar()->setValue(0);
    NotesSizeMenusEnabled(true);
    refreshGeneralNotesView();
}

void MyDocument::refreshGeneralNotesView()
{
    if (!generalNotesBoard_ || !scrNotes_ || !storyIsOpen())
        return;
    generalNotesBoard_->refreshView();
}
