#include "model/DateUtilities.h"
#include "model/StringUtilities.h"
#include "model/Toolkit.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "support/QtPrinting.h"

#include <gtest/gtest.h>

#include <set>

using namespace DateUtilities;
using namespace StringUtilities;

TEST(DateConversion, StoredFormShownInTheDisplayForms)
{
    Toolkit toolkit;
    EXPECT_EQ(toolkit.convertDateString("2013-05-07 14:30:00", "MM/dd/yyyy HH:mm"), "05/07/2013 14:30");
    EXPECT_EQ(toolkit.convertDateString("2013-05-07 14:30:00", "MM/dd/yyyy"), "05/07/2013");
    EXPECT_EQ(toolkit.convertDateString("0001-01-01 00:00:00", "MM/dd/yyyy"), "");
    EXPECT_EQ(toolkit.convertDateString("", "MM/dd/yyyy"), "");
    EXPECT_EQ(toolkit.convertDateString("2013-02-30 10:00:00", "MM/dd/yyyy"), ""); // no such day
    EXPECT_EQ(toolkit.convertDateString("07/05/2013", "MM/dd/yyyy"), "");
    EXPECT_EQ(toolkit.convertDateString("2013-05-07 25:00:00", "MM/dd/yyyy"), "");
}

TEST(DateConversion, DisplayFormBackToStoredForm)
{
    Toolkit toolkit;
    EXPECT_EQ(toolkit.convertDateStringForSaving("05/07/2013", "MM/dd/yyyy"), "2013-05-07 00:00:00");
    EXPECT_EQ(toolkit.convertDateStringForSaving("05/07/2013 14:30", "MM/dd/yyyy HH:mm"), "2013-05-07 14:30:00");
    EXPECT_EQ(toolkit.convertDateStringForSaving("", "MM/dd/yyyy"), "0001-01-01 00:00:00");
    EXPECT_EQ(toolkit.convertDateString(*toolkit.convertDateStringForSaving("", "MM/dd/yyyy"), "MM/dd/yyyy"), "");
    EXPECT_FALSE(toolkit.convertDateStringForSaving("tomorrow", "MM/dd/yyyy").has_value());
    EXPECT_FALSE(toolkit.convertDateStringForSaving("5/7/2013", "MM/dd/yyyy").has_value());
    EXPECT_FALSE(toolkit.convertDateStringForSaving("05/07/2013 14:30 extra", "MM/dd/yyyy HH:mm").has_value());
}

TEST(DateConversion, WallClockTimesIgnoreDaylightSavingGaps)
{
    // 02:30 on a spring-forward day does not exist in New York; as a planning time it must
    // still come back exactly as written.
    const QByteArray oldZone = qgetenv("TZ");
    qputenv("TZ", "America/New_York");
    tzset();
    Toolkit toolkit;
    EXPECT_EQ(toolkit.convertDateStringForSaving("03/10/2013 02:30", "MM/dd/yyyy HH:mm"), "2013-03-10 02:30:00");
    EXPECT_EQ(toolkit.convertDateString("2013-03-10 02:30:00", "MM/dd/yyyy HH:mm"), "03/10/2013 02:30");
    if (oldZone.isEmpty())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldZone);
    tzset();
}

TEST(DateHelpers, WeekdaysDayCountsAndTimes)
{
    EXPECT_EQ(weekday(QDate(2013, 5, 5)), 1);  // a Sunday
    EXPECT_EQ(weekday(QDate(2013, 5, 11)), 7); // a Saturday
    const DateTime lateEvening{QDate(2013, 5, 7), QTime(23, 59)};
    const DateTime earlyMorning{QDate(2013, 5, 8), QTime(0, 1)};
    EXPECT_EQ(daysToDate(lateEvening, earlyMorning), 2);
    EXPECT_EQ(daysToDate(lateEvening, lateEvening), 1);
    EXPECT_EQ(daysToDate(DateTime{QDate(2012, 12, 31)}, DateTime{QDate(2013, 3, 1)}), 61);

    EXPECT_EQ(justDateFromDate(lateEvening).time, QTime(0, 0));
    const DateTime withTime = dateTimeFromDate(DateTime{QDate(2013, 5, 7), QTime(8, 15)}, "14:05");
    EXPECT_EQ(withTime.date, QDate(2013, 5, 7));
    EXPECT_EQ(withTime.time, QTime(14, 5));
    EXPECT_EQ(dateTimeFromDate(lateEvening, "").time, QTime(23, 59));
    EXPECT_EQ(dateTimeFromDate(lateEvening, "noon").time, QTime(23, 59));

    ASSERT_TRUE(dateFromString("02/29/2012").has_value());
    EXPECT_FALSE(dateFromString("02/29/2013").has_value());
    EXPECT_FALSE(Toolkit().dateFromString("13/01/2013").has_value());
    ASSERT_TRUE(timeFromString("05/07/2013 14:30:15").has_value());
    EXPECT_EQ(timeFromString("05/07/2013 14:30:15")->time, QTime(14, 30, 15));
    ASSERT_TRUE(dateTimeFromTimeString("07:08:09").has_value());
    EXPECT_FALSE(dateTimeFromTimeString("7:08").has_value());
    EXPECT_EQ(dateStringForSavingFromDate(DateTime{QDate(2013, 5, 7)}), "05/07/2013");
    EXPECT_EQ(dateStringForSavingFromDate(std::nullopt), "");
}

TEST(DateHelpers, StoredTextShownWithAPattern)
{
    EXPECT_EQ(dateStringForDisplayWithFormat("2013-05-07 14:30:00", "MM/dd/yyyy"), "05/07/2013");
    EXPECT_EQ(dateStringForDisplayWithFormat("2013-05-07 14:30:00.123 +0000", "MM/dd/yyyy HH:mm"), "05/07/2013 14:30");
    EXPECT_EQ(dateStringForDisplayWithFormat("0001-01-01 00:00:00", "MM/dd/yyyy"), "");
    EXPECT_EQ(dateStringForDisplayWithFormat("", "MM/dd/yyyy"), "");
    EXPECT_EQ(dateStringForSavingFromFormat("05/07/2013", "MM/dd/yyyy"), "2013-05-07 00:00:00");
    EXPECT_EQ(dateStringForSavingFromFormat("", "MM/dd/yyyy"), "0001-01-01 00:00:00");
}

TEST(StringHelpers, IdentifiersHaveTheirFixedShapes)
{
    const QRegularExpression uuidShape("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    std::set<QString> seen;
    for (int i = 0; i < 50; ++i) {
        const QString uuid = stringWithUUID();
        EXPECT_TRUE(uuidShape.match(uuid).hasMatch()) << uuid.toStdString();
        seen.insert(uuid);
        const QString unique = stringWithUniqueID();
        EXPECT_EQ(unique.size(), 22);
        EXPECT_TRUE(QRegularExpression("^[A-Za-z0-9$_]{21}[a-d]$").match(unique).hasMatch()) << unique.toStdString();
    }
    EXPECT_EQ(seen.size(), 50u);

    const QString path = pathWithUniqueNameForTemporaryFile();
    EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    EXPECT_TRUE(uuidShape.match(QFileInfo(path).fileName()).hasMatch());
}

TEST(StringHelpers, UniqueIdEncodesSixBitGroups)
{
    const unsigned char zeros[16] = {};
    EXPECT_EQ(uniqueIDFromBytes(zeros), "aaaaaaaaaaaaaaaaaaaaaa");
    unsigned char ones[16];
    std::fill(std::begin(ones), std::end(ones), 0xFF);
    // Each full triple gives "_" four times; the last byte gives "_" and then "a" + 3.
    EXPECT_EQ(uniqueIDFromBytes(ones), "_____________________d");
    const unsigned char mixed[16] = {0x04, 0x10, 0x41, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x07};
    // x>>2 = 1, (x&48)|(y>>4) = 1, (y&60)|(z>>6) = 17, z&63 = 1.
    EXPECT_EQ(uniqueIDFromBytes(mixed), "bbrbaaaaaaaaaaaaaaaabd");
}

TEST(StringHelpers, EscapesAndFileNames)
{
    EXPECT_EQ(stringByReplacingEscapes("a &lt;b&gt; &amp; c"), "a <b> & c");
    // The ampersand entity is replaced last, so a double escape comes out once escaped.
    EXPECT_EQ(stringByReplacingEscapes("&amp;lt;"), "&lt;");
    EXPECT_EQ(stringByReplacingHTMLCharacter("don\u2019t", u'\u2019', '\''), "don't");
    EXPECT_EQ(stringByStrippingIllegalFileNameCharacters("Act 1: a/b?"), "Act 1- a b ");
    EXPECT_EQ(stringByStrippingIllegalFileNameCharacters("x\\y*z|w^v<u>"), "x y z w v u ");
}

TEST(StringHelpers, TagValues)
{
    EXPECT_EQ(valueForTag("<VERSION>3.1.2</VERSION>", "VERSION"), "3.1.2");
    EXPECT_EQ(valueForTag("<VERSION>3.1.2", "VERSION"), "");
    EXPECT_EQ(valueForTag("</VERSION>3.1.2<VERSION>", "VERSION"), ""); // closing tag before the opening one
    EXPECT_EQ(valueForTag("<version>3</version>", "VERSION"), "");
    EXPECT_EQ(valueForTag("<A></A>", "A"), "");
    EXPECT_EQ(valueForTag("</VERSION>x<VERSION>3.1.2</VERSION>", "VERSION"), "");
    EXPECT_EQ(valueForTag("<VERSION></VERSION>2</VERSION>", "VERSION"), "");
    EXPECT_EQ(valueForTag("<VERSION>1</VERSION><VERSION>2</VERSION>", "VERSION"), "1");
    EXPECT_EQ(valueForTag("<VERSION<VERSION>4</VERSION>", "VERSION"), "4");
    EXPECT_EQ(getValueForTag("<title>One</title><TITLE>Two</TITLE>", "Title", 0), "One");
    EXPECT_EQ(getValueForTag("<title>One</title><TITLE>Two</TITLE>", "title", 5), "Two");
    EXPECT_EQ(getValueForTag("<title>One", "title", 0), "");
}
