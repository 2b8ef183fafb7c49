#include "app/SmallViews.h"
#include "app/TextHeights.h"
#include "app/TextsReadAhead.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <optional>

namespace {

// Whether the threads ended within two minutes (a test that waits longer has failed).
bool ended(const TextsReadAhead& ahead)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!ahead.finished() && std::chrono::steady_clock::now() < giveUp)
        QThread::msleep(1);
    return ahead.finished();
}

// Each text is read in the face it was given in and given once, in that face: a face equal to a
// TextHeights' font is found, another font finds none, and a text not given to read, or asked in
// another face, gets nothing.
TEST(TextsReadAhead, EachTextIsGivenOnceInTheFaceItWasReadIn)
{
    const QFont plain = standardFont(13, false);
    const QFont bold = standardFont(13, true);
    const QString hero = QStringLiteral("The hero wants the one thing she cannot have.");
    const QString gun = QStringLiteral("INT. ROOM 5 - DAY (p. 1)\nThe gun on the wall");
    TextsReadAhead ahead([&](const std::atomic<bool>&) {
        return std::optional<TextsReadAhead::Texts>({{plain, bold}, {{hero, 0}, {gun, 1}}, 3});
    });
    ASSERT_TRUE(ended(ahead));
    EXPECT_EQ(ahead.finishSource(), 3);
    EXPECT_EQ(ahead.faceOf(standardFont(13, false)), 0);
    EXPECT_EQ(ahead.faceOf(standardFont(13, true)), 1);
    EXPECT_EQ(ahead.faceOf(standardFont(14, false)), -1);
    const struct {
        const char* what;
        std::size_t face;
        QString text;
        bool given;
    } rows[] = {
        {"a text in its face", 0, hero, true},
        {"the same again", 0, hero, false},
        {"a text in another face", 0, gun, false},
        {"a text in its own face", 1, gun, true},
        {"a text never given to read", 1, QStringLiteral("The gun fires"), false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ahead.take(row.face, row.text, textHash(row.text)).has_value(), row.given) << row.what;
    EXPECT_EQ(ahead.given(), 2u);
}

// A text the asker read itself before the threads came to it is passed over in the face it read
// it in, and read in another.
TEST(TextsReadAhead, ATextTheAskerReadItselfIsPassedOver)
{
    const QFont plain = standardFont(13, false);
    const QFont bold = standardFont(13, true);
    const QString hero = QStringLiteral("The hero");
    const QString gun = QStringLiteral("The gun");
    std::latch askerRead(1);
    TextsReadAhead ahead([&](const std::atomic<bool>&) {
        askerRead.wait();
        return std::optional<TextsReadAhead::Texts>({{plain, bold}, {{hero, 0}, {gun, 0}, {hero, 1}}, 3});
    });
    ahead.readHere(0, textHash(hero));
    askerRead.count_down();
    ASSERT_TRUE(ended(ahead));
    EXPECT_FALSE(ahead.take(0, hero, textHash(hero)).has_value());
    EXPECT_TRUE(ahead.take(0, gun, textHash(gun)).has_value());
    EXPECT_TRUE(ahead.take(1, hero, textHash(hero)).has_value());
}

// A source that makes no texts, or is stopped while at work (and so makes none), gives nothing:
// the threads end, no face is found and no text given; ended while its source is at work, it
// stops it and waits for it.
TEST(TextsReadAhead, ASourceThatMakesNothingOrIsStoppedGivesNothing)
{
    const QFont plain = standardFont(13, false);
    const QString text = QStringLiteral("The hero");
    for (const char* what : {"making nothing", "stopped while making", "ended while making"}) {
        SCOPED_TRACE(what);
        const bool waits = QByteArray(what) != "making nothing";
        std::latch started(1);
        auto ahead = std::make_unique<TextsReadAhead>(
            [&](const std::atomic<bool>& stop) -> std::optional<TextsReadAhead::Texts> {
                started.count_down();
                while (waits && !stop.load())
                    QThread::msleep(1);
                return std::nullopt;
            });
        started.wait();
        if (QByteArray(what) == "ended while making") {
            ahead.reset();
            continue;
        }
        EXPECT_EQ(ahead->finishSource(), std::nullopt);
        ASSERT_TRUE(ended(*ahead));
        EXPECT_EQ(ahead->faceOf(plain), -1);
        EXPECT_FALSE(ahead->take(0, text, textHash(text)).has_value());
        EXPECT_EQ(ahead->given(), 0u);
    }
}

} // namespace
