#pragma once

#include "app/AppFixture.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTest>

#include <array>
#include <functional>

class LoglineList;
class MyDocument;
class Screenplaydb;
class TitleLoglineView;

// An open story window whose modal dialogs are answered by the test: the initial beat cards
// with `beatCardOptions`, the add-logline window with the button of `loglineKind`, the
// logline list by `inLoglineList` and then its close button. Every dialog run is recorded.
class PanesFixture : public AppFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A story made the way the program makes one, with some Screenplay columns set
    // ("Column = value, ..."), and optionally the initial beat cards already on its board.
    QString story(const QString& name, const QString& assignments = QString(), bool withBeatCards = false);
    MyDocument* open(const QString& path);
    Screenplaydb& screenplay() const;
    TitleLoglineView& titlePane() const;
    // What the story file holds now.
    QString stored(const QString& sql) const;

    // The writer's edits, through the controls: a field's text replaced, then Return.
    template <typename Field>
    static void type(Field* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Backspace);
        else
            QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void chooseGenre(const QString& genre) const;
    // Clicks the description of a beat and writes it; false when no editor opened.
    bool writeBeat(int beat, const QString& text) const;
    // Title, logline and genre together open the beats for writing.
    void fillTitleLoglineAndGenre() const;
    // Every beat of the open story gets a description, without the beat sheet.
    void describeEveryBeat() const;

    int dialogsRun(const QString& name) const { return static_cast<int>(dialogs_.count(name)); }

    std::array<bool, 5> beatCardOptions{};
    int loglineKind = 0;
    std::function<void(LoglineList&)> inLoglineList;
    MyDocument* document_ = nullptr;

private:
    QStringList dialogs_;
};
