#pragma once

#include "DetailPanel.h"
#include "ItemSides.h"

class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTableView;
class SixThingsModel;

// The panel in which the writer edits one character in full: name (kept in capitals), age,
// gender (male, female or neither), description, wants, needs, notes, the six things about the
// character that need fixing with a note each, and the attachments (DetailPanel). The
// six-things table has three rows a thing: its number on the document's colour, the thing and
// its note, stored under "needsFixing<k>" and "needsFixing<k>Notes".
class CharacterDetailView : public ItemDetailView<CharacterSide>
{
public:
    CharacterDetailView(MyDocument* parent, Screenplaydb* screenplay);
    ~CharacterDetailView() override;

    // Shows the character and puts the keyboard focus in its name.
    void setCharacter(Characterdb* character);
    Characterdb* character() const { return item(); }

    QLineEdit* tfName() const { return nameField(); }
    QLineEdit* tfAge() const { return tfAge_; }
    QRadioButton* optMale() const { return optMale_; }
    QRadioButton* optFemale() const { return optFemale_; }
    QPlainTextEdit* txtDescription() const { return txtDescription_; }
    QPlainTextEdit* txtWants() const { return txtWants_; }
    QPlainTextEdit* txtNeeds() const { return txtNeeds_; }
    QPlainTextEdit* txtNotes() const { return txtNotes_; }
    QTableView* tvSixThings() const { return tvSixThings_; }

    // The stored name of a six-things row: "needsFixing<k>" or "needsFixing<k>Notes" for the
    // thing k = row / 3 + 1; nothing for a number row or a row outside the 18.
    static QString keyForSixThingsRow(int row);
    // Stores the value of a six-things row and fits the row to it.
    void setSixThing(int row, const QString& value);
    // Stores the value as it is being typed.
    void storeSixThing(int row, const QString& value);
    // A gender button was clicked: "M" or "F" is stored.
    void setGender(const QString& gender);

protected:
    void fillFields() override;
    void setOwnFonts(const QFont& caption, const QFont& field) override;

private:
    int sixThingsRowHeight(int row) const;

    QLineEdit* tfAge_;
    QRadioButton* optMale_;
    QRadioButton* optFemale_;
    QPlainTextEdit* txtDescription_;
    QPlainTextEdit* txtWants_;
    QPlainTextEdit* txtNeeds_;
    QPlainTextEdit* txtNotes_;
    QTableView* tvSixThings_;
    SixThingsModel* sixThings_;
};
