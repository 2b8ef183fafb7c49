#include "panes/NoteRichText.h"
#include "platform/TypingPause.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A field of each kind the views watch, with how the program fills it from the story.
struct Fill {
    const char* name;
    std::function<QWidget*(QWidget* parent)> make;
    std::function<void(QWidget* field)> fill;
};

template <typename Field>
Field* watched(QWidget* parent, int& writes)
{
    auto* field = new Field(parent);
    TypingPause::watch(field, parent, [&writes] { ++writes; });
    return field;
}

const QString kRtf = QStringLiteral("{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 First line\\par {\\b bold} end}");

} // namespace

TEST(TypingPause, TextTheProgramPutsIntoAFieldIsNoTyping)
{
    int writes = 0;
    const Fill fills[] = {
        {"line edit setText", [&](QWidget* p) -> QWidget* { return watched<QLineEdit>(p, writes); },
         [](QWidget* f) { static_cast<QLineEdit*>(f)->setText(QStringLiteral("From the story")); }},
        {"plain text setPlainText", [&](QWidget* p) -> QWidget* { return watched<QPlainTextEdit>(p, writes); },
         [](QWidget* f) { static_cast<QPlainTextEdit*>(f)->setPlainText(QStringLiteral("Set-Up\nThe world")); }},
        {"plain text clear", [&](QWidget* p) -> QWidget* { return watched<QPlainTextEdit>(p, writes); },
         [](QWidget* f) {
             static_cast<QPlainTextEdit*>(f)->setPlainText(QStringLiteral("old"));
             static_cast<QPlainTextEdit*>(f)->clear();
         }},
        {"rich text setPlainText", [&](QWidget* p) -> QWidget* { return watched<QTextEdit>(p, writes); },
         [](QWidget* f) { static_cast<QTextEdit*>(f)->setPlainText(QStringLiteral("INT. HOUSE - DAY")); }},
        {"rich text setHtml", [&](QWidget* p) -> QWidget* { return watched<QTextEdit>(p, writes); },
         [](QWidget* f) { static_cast<QTextEdit*>(f)->setHtml(QStringLiteral("<b>bold</b> words")); }},
        {"rich text note read", [&](QWidget* p) -> QWidget* { return watched<QTextEdit>(p, writes); },
         [](QWidget* f) { NoteRichText::read(*static_cast<QTextEdit*>(f)->document(), kRtf); }},
    };
    for (const Fill& row : fills) {
        SCOPED_TRACE(row.name);
        writes = 0;
        QWidget parent;
        QWidget* field = row.make(&parent);
        parent.show();
        row.fill(field);
        TypingPause* pause = TypingPause::of(field);
        ASSERT_NE(pause, nullptr);
        EXPECT_FALSE(pause->isPending());
        pause->flush();
        EXPECT_EQ(writes, 0);
        // Filled and left without a key: the edit changed nothing.
        EXPECT_FALSE(pause->endEdit());

        // A key typed afterwards is typing, and its pause writes.
        field->setFocus();
        QTest::keyClicks(field, QStringLiteral("x"));
        EXPECT_TRUE(pause->isPending());
        pause->flush();
        EXPECT_EQ(writes, 1);
        EXPECT_TRUE(pause->endEdit());

        // Undoing back to the text the field was filled with is a change like any other.
        QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_TRUE(pause->isPending());
        pause->flush();
        EXPECT_EQ(writes, 2);
        EXPECT_TRUE(pause->endEdit());
    }
}

TEST(TypingPause, ANoteReadIntoAFieldCannotBeUndoneAway)
{
    int writes = 0;
    QWidget parent;
    auto* field = watched<QTextEdit>(&parent, writes);
    ASSERT_TRUE(NoteRichText::read(*field->document(), kRtf));
    EXPECT_TRUE(field->document()->isUndoRedoEnabled());
    EXPECT_FALSE(field->document()->isUndoAvailable());
    EXPECT_TRUE(field->toPlainText().startsWith(QStringLiteral("First line")));
}
