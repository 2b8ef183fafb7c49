#pragma once

#include "DetailPanel.h"
#include "ItemSides.h"

class QLineEdit;
class QPlainTextEdit;

// The panel in which the writer edits one location: its name (kept in capitals), description
// and notes, and its attachments (DetailPanel).
class LocationDetailView : public ItemDetailView<LocationSide>
{
public:
    LocationDetailView(MyDocument* parent, Screenplaydb* screenplay);
    ~LocationDetailView() override;

    // Shows the location; the keyboard focus stays where it is.
    void setLocation(SceneLocationdb* location);
    SceneLocationdb* location() const { return item(); }

    QLineEdit* tfLocation() const { return nameField(); }
    QPlainTextEdit* txtDescription() const { return txtDescription_; }
    QPlainTextEdit* txtNotes() const { return txtNotes_; }

protected:
    void fillFields() override;

private:
    QPlainTextEdit* txtDescription_;
    QPlainTextEdit* txtNotes_;
};
