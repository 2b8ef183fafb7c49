#include "AutoTips.h"

#include "model/Loglinedb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "platform/Platform.h"

#include <algorithm>

namespace AutoTips {

QString genreKeyPart(const QString& genre)
{
    QString part;
    for (const QChar c : genre.toUpper())
        if (c.isLetter() || c.isDigit())
            part += c;
    return part;
}

QString genreHelpKey(const QString& genre)
{
    return QStringLiteral("GENRE") + genreKeyPart(genre);
}

QString genreTipKey(const QString& genre)
{
    return genreHelpKey(genre) + QStringLiteral("POPUP");
}

bool storyHasSceneCards(Screenplaydb& story)
{
    return !story.sceneCards().empty() || !story.litterBox().empty();
}

bool storyAcceptsSceneCards(Screenplaydb& story)
{
    if (storyHasSceneCards(story))
        return true;
    const Loglinedb* logline = story.currentLogline();
    return !story.screenplayTitle().isEmpty() && logline && !logline->logline().isEmpty()
           && !story.genre().isEmpty() && !story.anyBeatsNotFilledIn();
}

int tipCategoryCount(Screenplaydb& story)
{
    const auto& cards = story.sceneCards();
    const auto anyCardIn = [&cards](std::int64_t first, std::int64_t last) {
        return std::any_of(cards.begin(), cards.end(), [first, last](const auto& card) {
            return card->currentBeatSection() >= first && card->currentBeatSection() <= last;
        });
    };
    int count = storyAcceptsSceneCards(story) ? 2 : 1;
    for (const auto& [first, last] : {std::pair{1, 7}, std::pair{9, 12}, std::pair{14, 18}, std::pair{19, 20}})
        if (anyCardIn(first, last))
            ++count;
    return count;
}

long randomNumberWithMax(RandomSource& random, long n)
{
    return random.randomNumberWithMax(n) + 1;
}

QString autoTipKey(Screenplaydb& story, RandomSource& random)
{
    const bool hasGenre = !genreKeyPart(story.genre()).isEmpty();
    // The tips of one act of the board: its own `count` tips, then the genre tip, then the
    // three words of encouragement. The genre tip is drawn again while the story has none.
    const auto boardTip = [&](const QString& pattern, long count) {
        const long genreTip = count + 1;
        long r = randomNumberWithMax(random, count + 4);
        while (r == genreTip && !hasGenre)
            r = randomNumberWithMax(random, count + 4);
        if (r <= count)
            return pattern.arg(r);
        if (r == genreTip)
            return genreTipKey(story.genre());
        return QStringLiteral("ATTABOYSTUCK%1").arg(r - genreTip);
    };
    switch (randomNumberWithMax(random, tipCategoryCount(story))) {
    case 1:
        return QStringLiteral("LOGLINEPOPUP%1").arg(randomNumberWithMax(random, 8));
    case 2:
        return QStringLiteral("BEATSPOPUP%1").arg(randomNumberWithMax(random, 6));
    case 3:
        return boardTip(QStringLiteral("BOARDSECTION1POPUP%1"), 7);
    case 4:
        return boardTip(QStringLiteral("BOARDSECTION2POPUP%1"), 7);
    case 5:
        return boardTip(QStringLiteral("BOARDSECTION3POPUP%1"), 5);
    case 6:
        return boardTip(QStringLiteral("BOARDSECTION4POPUP%1"), 5);
    default:
        return QString();
    }
}

} // namespace AutoTips
