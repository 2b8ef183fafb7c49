#include "support/TimeLimit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextFragment>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// The text with a NUL for each '^'.
QString withNuls(QString text)
{
    return text.replace(QLatin1Char('^'), QChar(u'\0'));
}

// A window with a field of each kind the program's windows hold, as the test main sets the
// application up: every field drops the NUL characters that come in.
class NulCharacters : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window_);
        for (QWidget* field : fields())
            layout->addWidget(field);
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    std::array<QWidget*, 3> fields() const { return {line_, plain_, rich_}; }
    bool isTextView(const QWidget* field) const { return field != line_; }

    QString text(const QWidget* field) const
    {
        if (field == line_)
            return line_->text();
        return field == plain_ ? plain_->toPlainText() : rich_->toPlainText();
    }
    QTextDocument* document(const QWidget* field) const
    {
        return field == plain_ ? plain_->document() : rich_->document();
    }
    // Sets the field's text as the program does, with nothing to undo.
    void setText(QWidget* field, const QString& text)
    {
        if (field == line_)
            line_->setText(text);
        else if (field == plain_)
            plain_->setPlainText(text);
        else
            rich_->setPlainText(text);
    }
    // Pastes `pasted` into the field with the keyboard, the field having the focus.
    static void paste(QWidget* field, const QString& pasted)
    {
        QApplication::clipboard()->setText(pasted);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    }

    QWidget window_;
    QLineEdit* line_ = new QLineEdit;
    QPlainTextEdit* plain_ = new QPlainTextEdit;
    QTextEdit* rich_ = new QTextEdit;
};

} // namespace

// Each NUL that comes with a paste is dropped, at the start, in runs, at the end, on every line;
// the caret stays where the paste ends, and in a text view one undo takes the paste back whole.
TEST_F(NulCharacters, EveryNulAPasteBringsIsDroppedAndTheCaretStaysWhereThePasteEnds)
{
    struct Row {
        const char* pasted;
        const char* kept;
        bool textViewsOnly;
    };
    const Row rows[] = {
        {"Dusk^ falls", "Dusk falls", false},
        {"^^Dusk^^^ falls^", "Dusk falls", false},
        {"^^^", "", false},
        {"no NUL at all", "no NUL at all", false},
        {"one^\ntwo^^\n^three\n^", "one\ntwo\nthree\n", true},
    };
    for (const Row& row : rows) {
        for (QWidget* field : fields()) {
            if (row.textViewsOnly && !isTextView(field))
                continue;
            SCOPED_TRACE(QStringLiteral("%1 in a %2").arg(row.pasted, field->metaObject()->className()).toStdString());
            setText(field, QStringLiteral("Ab"));
            QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
            paste(field, withNuls(QString::fromUtf8(row.pasted)));
            const QString pasted = QStringLiteral("Ab") + QString::fromUtf8(row.kept);
            EXPECT_EQ(text(field), pasted);
            if (isTextView(field)) {
                QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
                EXPECT_EQ(text(field), QStringLiteral("Ab")) << "one undo takes the paste back, its NULs with it";
                QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
                EXPECT_EQ(text(field), pasted) << "and a redo brings it back without them";
            }
            QTest::keyClicks(field, QStringLiteral("Z"));
            EXPECT_EQ(text(field), pasted + QStringLiteral("Z")) << "the caret stays where the paste ends";
        }
    }
}

// A pasted text keeps its formats and paragraphs around the NULs it drops.
TEST_F(NulCharacters, APastedFormattedTextKeepsItsFormats)
{
    auto* pasted = new QMimeData;
    pasted->setHtml(withNuls(QStringLiteral("<p>^<b>Bo^ld^</b> and^</p><p align=\"center\"><i>it^alic</i>^</p>")));
    QApplication::clipboard()->setMimeData(pasted);
    rich_->setFocus();
    QTest::keyClick(rich_, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(rich_->toPlainText(), QStringLiteral("Bold and\nitalic"));
    QStringList paragraphs;
    for (QTextBlock block = rich_->document()->begin(); block.isValid(); block = block.next()) {
        QStringList runs;
        for (QTextBlock::iterator part = block.begin(); !part.atEnd(); ++part) {
            const QTextFragment fragment = part.fragment();
            const QTextCharFormat format = fragment.charFormat();
            runs << QStringLiteral("%1%2%3").arg(format.fontWeight() >= QFont::Bold ? "b:" : "",
                                                 format.fontItalic() ? "i:" : "", fragment.text());
        }
        paragraphs << (block.blockFormat().alignment() & Qt::AlignHCenter ? "centred " : "") + runs.join('|');
    }
    EXPECT_EQ(paragraphs, QStringList({"b:Bold| and", "centred i:italic"}));
}

// One long pasted line holding many NULs is cleaned in one pass: it costs about what the same
// paste without them costs, both measured here on this thread's clock, in a handful of edits.
// Deleting them one by one laid the whole line out again for each: some four seconds for this one.
TEST_F(NulCharacters, ALongLineHoldingManyNulsIsCleanedInOnePass)
{
    // 1,600 NULs in 160,000 characters.
    const QString piece = QStringLiteral("The tide comes in over the rocks below the lighthouse, and the keeper "
                                         "lights the lamp as the sun goes ")
                              .left(99);
    QString line;
    QString kept;
    for (int nul = 0; nul < 1'600; ++nul) {
        line += piece + QChar(u'\0');
        kept += piece;
    }
    QString floorLine = line;
    floorLine.replace(QChar(u'\0'), QLatin1Char(' '));
    for (QWidget* field : {static_cast<QWidget*>(plain_), static_cast<QWidget*>(rich_)}) {
        SCOPED_TRACE(field->metaObject()->className());
        setText(field, QString());
        TestTime::ThreadCpuClock clock;
        paste(field, floorLine);
        const qint64 floorMs = clock.elapsedMs();
        ASSERT_EQ(text(field), floorLine);

        setText(field, QString());
        clock.start();
        paste(field, line);
        const qint64 cleanedMs = clock.elapsedMs();
        EXPECT_EQ(text(field), kept);
        EXPECT_LT(cleanedMs, 3 * floorMs + TestTime::limitMs(100)) << "the same paste without NULs took " << floorMs
                                                                  << " ms";
        QTest::keyClicks(field, QStringLiteral("Z"));
        EXPECT_EQ(text(field), kept + QStringLiteral("Z")) << "the caret stays where the paste ends";
        EXPECT_LT(document(field)->availableUndoSteps(), 10)
            << "the paste, its NULs taken out and the key: a handful of edits, not one for each NUL";
    }
}
