#pragma once

#include "board/BoardFixture.h"

#include <QString>

#include <cstdint>
#include <vector>

class BigSceneView;
class QTableView;
class QWidget;

// Clicks a cell of a table as the user would, once it is scrolled into view; what the click
// posts has not run yet.
void clickCell(QTableView& table, int row, int column);

// A story window with the large scene card open on one of its board cards. The story has 110
// pages unless the assignments say otherwise; records that can be dropped on a card (three
// characters, two locations, two attachments, two set-ups and two pay-offs) are added on
// request.
class BigSceneFixture : public BoardFixture
{
protected:
    // Opens the story and the large card on board card `shown` (board order) on `tab`.
    MyDocument* openCard(const std::vector<CardSpec>& cards, std::size_t shown = 0, std::int64_t tab = 1,
                         const QString& assignments = QString());
    void addDroppableRecords();

    Screenplaydb& screenplay() const;
    BigSceneView* big() const;
    SceneCarddb* boardCard(std::size_t index) const;
    // A column of the card's row in the file.
    QString column(std::int64_t key, const QString& name) const;
    QString column(const QString& name) const;
    QString count(const QString& sql) const { return stored(path_, sql); }

    // Gives the window the keyboard, as a user's click on it would.
    void activate() const;
    // Clicks into a field, selects all of it (Ctrl-A), types `text` in its place and leaves the
    // field by `leave` (Tab, Return, ...; Key_unknown stays in it).
    static void typeInto(QWidget* field, const QString& text, Qt::Key leave = Qt::Key_Tab);
    // The same, typing after the field's text (End; Ctrl-End in a text view).
    static void typeAfter(QWidget* field, const QString& text, Qt::Key leave = Qt::Key_Tab);

    QString path_;
    std::vector<std::int64_t> keys_;
    MyDocument* document_ = nullptr;
};
