#include "web/QueueTextEscaping.h"

#include <QString>

#include <gtest/gtest.h>

#include <random>

namespace {

bool onlyTravellingCharacters(const QString& text)
{
    for (const QChar unit : text) {
        const char16_t u = unit.unicode();
        const bool plain = u == u' ' || u == u'%' || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z')
                           || (u >= u'0' && u <= u'9');
        if (!plain)
            return false;
    }
    return true;
}

TEST(QueueTextEscaping, EncodesEachCharacterByItsCode)
{
    struct Row {
        QString text;
        QString encoded;
    };
    const Row rows[] = {
        {QStringLiteral("Scene 1"), QStringLiteral("Scene 1")},
        {QStringLiteral("INT. HOUSE - DAY"), QStringLiteral("INT%00046 HOUSE %00045 DAY")},
        {QStringLiteral(""), QStringLiteral("")},
        {QStringLiteral("a\nb"), QStringLiteral("a%00013b")},
        {QStringLiteral("\r"), QStringLiteral("%00013")},
        {QStringLiteral("%00037"), QStringLiteral("%0003700037")},
        {QStringLiteral("<TITLE>"), QStringLiteral("%00060TITLE%00062")},
        {QStringLiteral("\t~{`[@:/!"), QStringLiteral("%00009%00126%00123%00096%00091%00064%00058%00047%00033")},
        {QStringLiteral("caf\u00e9"), QStringLiteral("caf%00233")},
        {QStringLiteral("\u00bd\uffff"), QStringLiteral("%00189%65535")},
        // A character beyond the basic plane travels as its two UTF-16 units.
        {QString::fromUcs4(U"\U0001F3AC"), QStringLiteral("%55356%57260")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        EXPECT_EQ(QueueTextEscaping::encode(row.text), row.encoded);
    }
}

TEST(QueueTextEscaping, DecodesCodesAndKeepsDamagedEscapesAsTheyAre)
{
    struct Row {
        QString encoded;
        QString text;
    };
    const Row rows[] = {
        {QStringLiteral("INT%00046 HOUSE %00045 DAY"), QStringLiteral("INT. HOUSE - DAY")},
        {QStringLiteral("%0003700037"), QStringLiteral("%00037")},
        // 13 is the line break's code, so a carriage return comes back as a line break.
        {QStringLiteral("%00013"), QStringLiteral("\n")},
        {QStringLiteral("%00010"), QStringLiteral("\n")},
        {QStringLiteral("%00032%00065"), QStringLiteral(" A")},
        {QStringLiteral("%55356%57260"), QString::fromUcs4(U"\U0001F3AC")},
        // Fewer than five characters after the sign: the rest is copied unchanged.
        {QStringLiteral("ab%"), QStringLiteral("ab%")},
        {QStringLiteral("ab%0004"), QStringLiteral("ab%0004")},
        {QStringLiteral("%00046%12"), QStringLiteral(".%12")},
        // Not five digits, or a code no UTF-16 unit holds: the sign stays and reading goes on.
        {QStringLiteral("%12ab5x"), QStringLiteral("%12ab5x")},
        {QStringLiteral("%99999"), QStringLiteral("%99999")},
        {QStringLiteral("%-0001"), QStringLiteral("%-0001")},
        {QStringLiteral("%%00046"), QStringLiteral("%.")},
        {QStringLiteral("plain text"), QStringLiteral("plain text")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.encoded.toStdString());
        EXPECT_EQ(QueueTextEscaping::decode(row.encoded), row.text);
    }
}

TEST(QueueTextEscaping, RoundTripsRandomTextOfEveryPlane)
{
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> lengths(0, 60);
    std::uniform_int_distribution<int> planes(0, 16);
    std::uniform_int_distribution<char32_t> withinPlane(0, 0xFFFF);
    std::uniform_int_distribution<int> kinds(0, 3);
    const QString ascii = QStringLiteral("%\n\t <>&\"'ABCxyz0189.-()#");
    std::uniform_int_distribution<qsizetype> asciiPick(0, ascii.size() - 1);
    for (int round = 0; round < 2000; ++round) {
        std::u32string codePoints;
        const int length = lengths(random);
        while (static_cast<int>(codePoints.size()) < length) {
            char32_t point = kinds(random) == 0 ? char32_t(ascii.at(asciiPick(random)).unicode())
                                                : (char32_t(planes(random)) << 16) | withinPlane(random);
            // Lone surrogates are no characters, and a carriage return comes back as a line break.
            if ((point >= 0xD800 && point <= 0xDFFF) || point == U'\r')
                continue;
            codePoints.push_back(point);
        }
        const QString text = QString::fromUcs4(codePoints.data(), static_cast<qsizetype>(codePoints.size()));
        const QString encoded = QueueTextEscaping::encode(text);
        SCOPED_TRACE(encoded.toStdString());
        ASSERT_TRUE(onlyTravellingCharacters(encoded));
        ASSERT_EQ(QueueTextEscaping::decode(encoded), text);
    }
}

TEST(QueueTextEscaping, TablesAnswerLookUpsInTableOrder)
{
    const ASCIIConversion table;
    EXPECT_EQ(table.punctuation().size(), 33u);
    EXPECT_EQ(table.asciiValues().size(), 96u);
    EXPECT_EQ(table.charForPunctuation(10), QString());
    EXPECT_EQ(table.charForPunctuation(32), QString());
    EXPECT_EQ(table.charForPunctuation(13), QStringLiteral("\n"));
    EXPECT_EQ(table.charForPunctuation(126), QStringLiteral("~"));
    EXPECT_EQ(table.valueForPunctuation(QStringLiteral("a")), 0);
    EXPECT_EQ(table.valueForPunctuation(QStringLiteral(" ")), 0);
    EXPECT_EQ(table.valueForPunctuation(QStringLiteral("@")), 64);
    EXPECT_EQ(table.charForValue(65), QStringLiteral("A"));
    EXPECT_EQ(table.charForValue(32), QStringLiteral(" "));
    EXPECT_EQ(table.charForValue(127), QString());
    EXPECT_EQ(table.valueForChar(QStringLiteral("\n")), 13);
    EXPECT_EQ(table.valueForChar(QStringLiteral("\u00e9")), 0);
}

} // namespace
