#include "model/RichText.h"

#include "fuzz/FuzzInputs.h"
#include "support/ByteMutator.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The document as "[text]{marks}" per fragment, blocks joined by " | ", a block's alignment
// first when it is not the left one: what the codec must carry through.
QString describe(const QTextDocument& document)
{
    QStringList blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString line;
        const Qt::Alignment alignment = block.blockFormat().alignment();
        if (alignment & Qt::AlignHCenter)
            line += QStringLiteral("(centre)");
        else if (alignment & Qt::AlignJustify)
            line += QStringLiteral("(justify)");
        else if (alignment & Qt::AlignRight)
            line += QStringLiteral("(right)");
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            QStringList marks;
            if (format.fontWeight() > QFont::Medium)
                marks << QStringLiteral("b");
            if (format.fontItalic())
                marks << QStringLiteral("i");
            if (format.fontUnderline())
                marks << QStringLiteral("u");
            if (format.fontPointSize() > 0)
                marks << QString::number(format.fontPointSize());
            if (format.hasProperty(QTextFormat::ForegroundBrush))
                marks << format.foreground().color().name();
            const QString family = format.fontFamilies().toStringList().value(0);
            if (!family.isEmpty())
                marks << family;
            line += u'[' + it.fragment().text() + u']';
            if (!marks.isEmpty())
                line += u'{' + marks.join(u' ') + u'}';
        }
        blocks << line;
    }
    return blocks.join(QStringLiteral(" | "));
}

QTextCharFormat formatWith(const std::function<void(QTextCharFormat&)>& change)
{
    QTextCharFormat format;
    change(format);
    return format;
}

bool isSevenBit(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

TEST(RichText, FormattedTextSurvivesWritingAndReadingBack)
{
    struct Row {
        const char* name;
        QString text;
        QTextCharFormat format;
        QString expected;
    };
    const Row rows[] = {
        {"bold", QStringLiteral("Bold"), formatWith([](auto& f) { f.setFontWeight(QFont::Bold); }),
         QStringLiteral("[Plain ][Bold]{b}[ end]")},
        {"italic", QStringLiteral("Italic"), formatWith([](auto& f) { f.setFontItalic(true); }),
         QStringLiteral("[Plain ][Italic]{i}[ end]")},
        {"underline", QStringLiteral("Under"), formatWith([](auto& f) { f.setFontUnderline(true); }),
         QStringLiteral("[Plain ][Under]{u}[ end]")},
        {"size", QStringLiteral("Large"), formatWith([](auto& f) { f.setFontPointSize(18.5); }),
         QStringLiteral("[Plain ][Large]{18.5}[ end]")},
        {"colour", QStringLiteral("Red"), formatWith([](auto& f) { f.setForeground(QColor(200, 16, 32)); }),
         QStringLiteral("[Plain ][Red]{#c81020}[ end]")},
        {"family", QStringLiteral("Mono"),
         formatWith([](auto& f) { f.setFontFamilies({QStringLiteral("Courier Prime")}); }),
         QStringLiteral("[Plain ][Mono]{Courier Prime}[ end]")},
        {"everything at once", QStringLiteral("All"), formatWith([](auto& f) {
             f.setFontWeight(QFont::Bold);
             f.setFontItalic(true);
             f.setFontUnderline(true);
             f.setFontPointSize(9);
             f.setForeground(QColor(0, 0, 255));
         }),
         QStringLiteral("[Plain ][All]{b i u 9 #0000ff}[ end]")},
        {"non-Latin text", QString::fromUtf8("Привет, 東京 🎬 é"),
         formatWith([](auto& f) { f.setFontWeight(QFont::Bold); }),
         QString::fromUtf8("[Plain ][Привет, 東京 🎬 é]{b}[ end]")},
        {"characters RTF reserves", QStringLiteral("{a}\\b\\"), QTextCharFormat(),
         QStringLiteral("[Plain {a}\\b\\ end]")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTextDocument written;
        QTextCursor cursor(&written);
        cursor.insertText(QStringLiteral("Plain "), QTextCharFormat());
        cursor.insertText(row.text, row.format);
        cursor.insertText(QStringLiteral(" end"), QTextCharFormat());

        const QByteArray rtf = writeRtf(written);
        EXPECT_TRUE(isSevenBit(rtf)) << rtf.constData();
        QTextDocument read;
        ASSERT_TRUE(readRtf(read, rtf));
        EXPECT_EQ(describe(read), row.expected) << rtf.constData();
        EXPECT_EQ(read.toPlainText(), written.toPlainText());
        EXPECT_EQ(rtfPlainText(rtf), written.toPlainText());
    }
}

TEST(RichText, ParagraphsBreaksTabsAndAlignmentSurviveWritingAndReadingBack)
{
    QTextDocument written;
    QTextCursor cursor(&written);
    cursor.insertText(QStringLiteral("First\tcolumn"));
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.insertBlock(centred);
    cursor.insertText(QStringLiteral("Centred") + QChar(0x2028) + QStringLiteral("second line") + QChar(0x00a0) +
                      QStringLiteral("kept"));
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    cursor.insertBlock(right);
    cursor.insertBlock(QTextBlockFormat());

    const QByteArray rtf = writeRtf(written);
    QTextDocument read;
    ASSERT_TRUE(readRtf(read, rtf));
    EXPECT_EQ(describe(read), QString::fromUtf8("[First\tcolumn] | (centre)[Centred\u2028second line\u00a0kept] | "
                                                "(right) | "));
    EXPECT_EQ(read.blockCount(), 4);
    EXPECT_EQ(rtfPlainText(rtf), QStringLiteral("First\tcolumn\nCentred\nsecond line kept\n\n"));
    EXPECT_EQ(rtfPlainText(rtf), written.toPlainText());

    EXPECT_EQ(rtfPlainText(rtfForPlainText(QStringLiteral("one\ntwo {3}"))), QStringLiteral("one\ntwo {3}"));
    EXPECT_EQ(rtfPlainText(rtfForPlainText(QString())), QString());
}

TEST(RichText, HandWrittenRtfIsReadWithItsTablesEscapesAndUnicodeFallbacks)
{
    struct Row {
        const char* name;
        QByteArray rtf;
        QString expected;
        QString plain;
    };
    const Row rows[] = {
        {"unknown and unshown destinations are passed over",
         "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Helvetica;}\\f1\\fmodern Courier New;}\n"
         "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\n"
         "{\\*\\revisionnotes hidden {\\nested hidden too}}{\\info{\\title Not shown}}{\\stylesheet{\\s0 Normal;}}\n"
         "\\viewkind4\\f0\\fs24 Caf\\'e9 {\\b bold}\\cf2 blue\\cf0\\par\\qc\\f1 centred\\line two\\tab end}",
         QString::fromUtf8("[Café ]{12 Helvetica}[bold]{b 12 Helvetica}[blue]{12 #0000ff Helvetica} | "
                           "(centre)[centred\u2028two\tend]{12 Courier New}"),
         QString::fromUtf8("Café boldblue\ncentred\ntwo\tend")},
        {"fallback bytes after \\u are skipped by \\uc",
         "{\\rtf1\\uc2\\u26085\\'93\\'fa\\u26412 ?? x\\uc0\\u8364 5}", QString::fromUtf8("[日本 x€5]"),
         QString::fromUtf8("日本 x€5")},
        {"negative \\u values and surrogate pairs", "{\\rtf1 \\u-10180?\\u-8276?!}", QString::fromUtf8("[🎬!]"),
         QString::fromUtf8("🎬!")},
        {"a group end stops the fallback skip", "{\\rtf1\\uc3{\\u233}xy}", QString::fromUtf8("[éxy]"),
         QString::fromUtf8("éxy")},
        {"escaped characters and named marks", "{\\rtf1 a\\{b\\}c\\\\d\\~e\\emdash f\\ldblquote g\\rdblquote}",
         QString::fromUtf8("[a{b}c\\d\u00a0e—f“g”]"), QString::fromUtf8("a{b}c\\d e—f“g”")},
        {"binary data may hold braces", "{\\rtf1 a\\bin3 {}}b}", QStringLiteral("[ab]"), QStringLiteral("ab")},
        {"a backslash before a line break ends the paragraph", "{\\rtf1 one\\\ntwo\\\n}",
         QStringLiteral("[one] | [two] | "), QStringLiteral("one\ntwo\n")},
        {"formatting ends with its group and by zero parameters",
         "{\\rtf1 {\\b\\i\\ul a}b\\b c\\b0 d\\ul e\\ulnone f\\i g\\plain h}",
         QStringLiteral("[a]{b i u}[b][c]{b}[d][e]{u}[f][g]{i}[h]"), QStringLiteral("abcdefgh")},
        {"control characters and object marks carry no text; a lone surrogate half is replaced",
         "{\\rtf1 a\\u18?b\\u127?c\\u-4?d\\u-10180?e\\u0?f\\u-8276?}", QString::fromUtf8("[abcd\uFFFDef\uFFFD]"),
         QString::fromUtf8("abcd\uFFFDef\uFFFD")},
        {"text after the document's end is ignored", "{\\rtf1 in}out", QStringLiteral("[in]"), QStringLiteral("in")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTextDocument read;
        ASSERT_TRUE(readRtf(read, row.rtf));
        EXPECT_EQ(describe(read), row.expected);
        EXPECT_EQ(rtfPlainText(row.rtf), row.plain);
    }
}

TEST(RichText, HostileOrBrokenInputIsReadWithinBounds)
{
    const QByteArray deep = "{\\rtf1 a" + QByteArray(60, '{') + "b" + QByteArray(60, '}') + QByteArray(100000, '{') +
                            "c" + QByteArray(100000, '}') + "d}";
    const QByteArray longWord = "{\\rtf1 \\" + QByteArray(1000, 'b') + " x}";
    struct Row {
        const char* name;
        QByteArray rtf;
        QString expected;
    };
    const Row rows[] = {
        {"groups deeper than the limit are read as empty", deep, QStringLiteral("[abd]")},
        {"huge numbers are clamped",
         "{\\rtf1\\fs99999999999999999999 big\\cf99999999999 x\\fs-5 y\\uc99999999\\u65 BCDEFGHIJKLMNOPQRSTUVWXYZ}",
         QStringLiteral("[bigxyARSTUVWXYZ]{1638}")},
        {"a control word too long matches nothing", longWord, QStringLiteral("[x]")},
        {"nothing but the opening", "{\\rtf", QString()},
        {"cut short inside \\'", "{\\rtf1 abc\\'4", QStringLiteral("[abc]")},
        {"cut short after a backslash", "{\\rtf1 abc\\", QStringLiteral("[abc]")},
        {"binary data longer than the text", "{\\rtf1 abc\\bin999999 def}", QStringLiteral("[abc]")},
        {"bad hexadecimal digits", "{\\rtf1 a\\'zzb}", QStringLiteral("[azzb]")},
        {"more closing braces than opening ones", "{\\rtf1 a}}}}b", QStringLiteral("[a]")},
        {"a colour index past the table", "{\\rtf1{\\colortbl;\\red1\\green2\\blue3;}\\cf7 a\\cf1 b}",
         QStringLiteral("[a][b]{#010203}")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTextDocument read;
        ASSERT_TRUE(readRtf(read, row.rtf));
        EXPECT_EQ(describe(read), row.expected);
    }

    const QByteArray notRtf[] = {
        QByteArray(), QByteArray("plain words"), QByteArray(" {\\rtf1 a}"),
        "{\\rtf1 " + QByteArray(16 * 1024 * 1024, 'x') + "}",
    };
    for (const QByteArray& text : notRtf) {
        SCOPED_TRACE(text.left(20).constData());
        QTextDocument read;
        read.setPlainText(QStringLiteral("old text"));
        EXPECT_FALSE(readRtf(read, text)) << "RTF prefix: " << text.startsWith("{\\rtf");
        EXPECT_TRUE(read.isEmpty());
        EXPECT_EQ(rtfPlainText(text), QString());
    }
}

TEST(ReaderFuzz, DamagedNotesAreReadWrittenAndReadBackWithTheirText)
{
    // The bounded cousin of the RTF codec's fuzz target: damaged copies of notes as the
    // program writes them and as word processors do, each read, written and read back with
    // the same text, or not taken as RTF at all.
    QTextDocument formatted;
    QTextCursor cursor(&formatted);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("Act One "), bold);
    cursor.insertText(QStringLiteral("ends at the \u00e9cluse.\n\tTab\u2014dash"));
    const QByteArray seeds[] = {
        writeRtf(formatted),
        rtfForPlainText(QStringLiteral("INT. HOUSE - DAY\nShe waits.")),
        QByteArray("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0\\fswiss Helvetica;}{\\colortbl;\\red255\\green0\\blue0;}"
                   "{\\*\\generator x;}\\f0\\fs24 \\cf1 Red \\b bold\\b0 \\'e9t\\'e9 \\u8212\\'97 {\\pict 0a0b}\\par "
                   "\\qc centred\\line next\\tab end}"),
    };
    ByteMutator mutator(39);
    int read = 0;
    for (const QByteArray& seed : seeds) {
        ASSERT_TRUE(FuzzInputs::richText(seed));
        for (int round = 0; round < 1500; ++round) {
            const QByteArray damaged = mutator.damage(seed);
            ASSERT_TRUE(FuzzInputs::richText(damaged)) << damaged.toStdString();
            read += rtfPlainText(damaged).isEmpty() ? 0 : 1;
        }
    }
    EXPECT_GT(read, 1000);
}
