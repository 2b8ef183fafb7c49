#pragma once

// Set-ups and pay-offs worded as writers word them: a sentence or a few, 30 to 240 characters,
// with names (some accented) and possessives, quoted lines, questions, asides in brackets or after
// a dash, hyphenated words, times, years and numbers, typed with straight quotes and "--" or with
// curly quotes, dashes and ellipses in the share that scripts or a word processor give them
// (Typing), and as writers of other languages type them: French typography's no-break spaces,
// Greek and Cyrillic names, accents typed as marks after their letters, soft hyphens in long words.
// Each index gives its own text, the same on every run; the generated stories (StoryGenerator.h)
// carry them.

#include <QRegularExpression>
#include <QString>

#include <array>
#include <cstdint>

namespace WriterTexts {

// How the texts' quotes, apostrophes, dashes and ellipses are typed.
enum class Typing {
    // All straight, as on a typewriter: ' " -- ...
    Straight,
    // As in the scripts writers share: four texts in five typed with curly quotes and apostrophes,
    // dashes and ellipses, so that with the accented names two texts in three hold a letter past
    // Latin-1, as two in three lines of real scripts do.
    AsInScripts,
    // As a word processor types them, correcting as the writer goes: every text, so that four in
    // five hold a letter past Latin-1 (the others have no quote, apostrophe or dash to correct).
    AsAWordProcessor,
    // As in scripts, and three texts in four set as French typography sets them: a no-break
    // space before : and inside « », a narrow one before ; ! ?, so that about three in eight hold
    // a no-break space (the others have no such stop or quote).
    FrenchSpacing,
    // As in scripts, and three texts in ten naming Greek or Cyrillic characters.
    OtherScriptNames,
    // As in scripts, and now and then each of the others: French spacing in one text in eight,
    // Greek or Cyrillic names in one in ten, accents typed as marks after their letters in one in
    // ten, soft hyphens in the long words of one in twenty.
    Varied,
};

namespace Detail {

// A small random source seeded by the index, the same on every machine.
class Draw
{
public:
    explicit Draw(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ULL + 0xD1B54A32D192ED03ULL) {}

    int below(int count)
    {
        state_ += 0x9E3779B97F4A7C15ULL;
        std::uint64_t mixed = state_;
        mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ULL;
        mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBULL;
        mixed ^= mixed >> 31;
        return static_cast<int>(mixed % static_cast<std::uint64_t>(count));
    }
    template <std::size_t N>
    QString from(const std::array<const char*, N>& words)
    {
        return QString::fromUtf8(words[static_cast<std::size_t>(below(static_cast<int>(N)))]);
    }

private:
    std::uint64_t state_;
};

inline const std::array<const char*, 25> kNames{"Mara",  "Jonah", "Ruth",  "Odette", "Pippa", "Walt",  "Kofi",
                                               "Danny", "Hal",   "Inès",  "Tobias", "Grace", "Elias", "Nadia",
                                               "Vera",  "Luca",  "Ada",   "Sol",    "Bea",   "Finn",  "José",
                                               "Zoë",   "Søren", "Łucja", "Thảo"};
inline const std::array<const char*, 12> kKin{"sister",     "half-brother", "ex-husband",       "landlady",
                                             "old coach",  "stepfather",   "business partner", "best friend",
                                             "neighbour",  "cousin",       "daughter",         "mother-in-law"};
inline const std::array<const char*, 24> kThings{"the spare key",
                                                "her father's pocket watch",
                                                "a torn map of the valley",
                                                "the brass compass",
                                                "an unsigned letter",
                                                "the red scarf",
                                                "a shoebox of old photographs",
                                                "the ledger with the missing pages",
                                                "a half-empty bottle of rum",
                                                "the radio that only gets one station",
                                                "his late wife's ring",
                                                "a ticket stub from 1974",
                                                "the dog's collar",
                                                "a jar of buttons",
                                                "the last flare cartridge",
                                                "a second-hand typewriter",
                                                "the wedding invitation",
                                                "a pair of muddy boots",
                                                "the cracked phone",
                                                "forty-two dollars in an envelope",
                                                "a left-handed glove",
                                                "the motel receipt",
                                                "the key to Room 214",
                                                "a photo of the 1988 team"};
inline const std::array<const char*, 16> kHides{"hides",   "finds",  "pockets", "drops",      "loses",     "mends",
                                               "buries",  "steals", "notices", "gives away", "locks away", "swaps",
                                               "sells",   "breaks", "keeps",   "forgets"};
inline const std::array<const char*, 12> kPlaces{"under the loose floorboard",
                                                "behind the clock in the hall",
                                                "at the bottom of the well",
                                                "in the glovebox of the truck",
                                                "on the shelf above the stove",
                                                "inside the hollow oak by the river",
                                                "in the lining of her coat",
                                                "under the bar at the Blue Lantern",
                                                "in a biscuit tin in the attic",
                                                "beside the well-worn armchair",
                                                "in the pocket of the dead man's jacket",
                                                "on the dashboard, face down"};
inline const std::array<const char*, 12> kTimes{"before the storm",
                                               "at 3 a.m.",
                                               "on the night of the fire",
                                               "while the others sleep",
                                               "during the wedding toast",
                                               "an hour before dawn",
                                               "the morning after the race",
                                               "at 6:40 sharp",
                                               "in scene 12",
                                               "on her 30th birthday",
                                               "just after midnight",
                                               "in the summer of 1974"};
inline const std::array<const char*, 12> kAsides{"and nobody sees",
                                                "though she swore she'd thrown it out",
                                                "-- we never learn why",
                                                "(the audience should barely notice)",
                                                "which matters later",
                                                "as the lights go out",
                                                "without a word",
                                                "for the second time",
                                                "(see the note on p. 12)",
                                                "-- keep this quiet",
                                                "and lies about it",
                                                "half-laughing"};
inline const std::array<const char*, 10> kLines{"\"Nobody touches this. Ever.\"",
                                               "\"It's only a key.\"",
                                               "\"Ask me again tomorrow.\"",
                                               "\"You'll know when you need it.\"",
                                               "\"Did you hear that?\"",
                                               "\"We leave at six, not a minute later.\"",
                                               "\"Don't tell your mother.\"",
                                               "\"That's not mine -- it never was.\"",
                                               "\"Keep it dry, whatever happens.\"",
                                               "\"Two more days. Then we're square.\""};
inline const std::array<const char*, 8> kQuestions{"Why does she keep it?",
                                                  "Who else knows?",
                                                  "Will anyone remember it by the third act?",
                                                  "Is it even the same one?",
                                                  "Where did the money go?",
                                                  "Does he know she saw?",
                                                  "Too obvious?",
                                                  "What if it's lost?"};
inline const std::array<const char*, 12> kUses{"uses",        "finally opens",  "gives back",  "trades",
                                              "finds again", "recognises",     "burns",       "reads aloud",
                                              "throws away", "holds up",       "turns over",  "hands over"};
inline const std::array<const char*, 10> kOutcomes{"and the door gives way",
                                                  "-- just in time",
                                                  "and everyone goes quiet",
                                                  "to buy them one more hour",
                                                  "and the lie comes out",
                                                  "(a clean pay-off, no speech)",
                                                  "and the storm finally breaks",
                                                  "while the engine is still running",
                                                  "and wins the argument",
                                                  "so the 9:15 train leaves without them"};

inline const std::array<const char*, 10> kOtherNames{"Ελένη", "Νίκος",   "Σοφία",   "Γιάννης", "Αλεξάνδρα",
                                                    "Иван",  "Ольга",   "Дмитрий", "Наталья", "Сергей"};

inline QString capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

// One sentence of a set-up (or, with `payoff`, of a pay-off).
inline QString sentence(Draw& draw, bool payoff)
{
    const QString name = draw.from(kNames);
    switch (draw.below(payoff ? 5 : 7)) {
    case 0:
        return QStringLiteral("%1 %2 %3 %4.")
            .arg(name, payoff ? draw.from(kUses) : draw.from(kHides), draw.from(kThings), draw.from(kPlaces));
    case 1:
        return QStringLiteral("%1's %2 %3 %4 %5 %6.")
            .arg(name, draw.from(kKin), payoff ? draw.from(kUses) : draw.from(kHides), draw.from(kThings),
                 draw.from(kTimes), payoff ? draw.from(kOutcomes) : draw.from(kAsides));
    case 2:
        return QStringLiteral("%1, %2 %3 %4 %5.")
            .arg(capitalised(draw.from(kTimes)), name, payoff ? draw.from(kUses) : draw.from(kHides),
                 draw.from(kThings), payoff ? draw.from(kOutcomes) : draw.from(kAsides));
    case 3:
        return QStringLiteral("%1 says, %2").arg(name, draw.from(kLines));
    case 4:
        return payoff ? QStringLiteral("%1 turns up again when %2 needs it most %3.")
                            .arg(capitalised(draw.from(kThings)), name, draw.from(kOutcomes))
                      : QStringLiteral("%1 lies %2 %3.")
                            .arg(capitalised(draw.from(kThings)), draw.from(kPlaces), draw.from(kAsides));
    case 5:
        return draw.from(kQuestions);
    default:
        return QStringLiteral("%1 tells %2 about %3.").arg(name, draw.from(kNames), draw.from(kThings));
    }
}

// The text typed as a word processor types it: curly quotes and apostrophes, "..." as an
// ellipsis and "--" as the dash the writer's style asks for: an em dash set close ("word—word"),
// spaced, or a spaced en dash.
inline QString typeset(const QString& straight, int dashStyle)
{
    static const std::array<const char*, 3> dashes{"\u2014", " \u2014 ", " \u2013 "};
    QString text = straight;
    text.replace(QStringLiteral("..."), QStringLiteral("\u2026"));
    text.replace(QStringLiteral(" -- "), QString::fromUtf8(dashes[static_cast<std::size_t>(dashStyle)]));
    text.replace(QStringLiteral("--"), QStringLiteral("\u2014"));
    for (qsizetype at = 0; at < text.size(); ++at) {
        // A quote opens at the start or after a space or an opening bracket, and closes elsewhere.
        const bool opens = at == 0 || text[at - 1] == QLatin1Char(' ') || text[at - 1] == QLatin1Char('(');
        if (text[at] == QLatin1Char('"'))
            text[at] = QChar(opens ? 0x201c : 0x201d);
        else if (text[at] == QLatin1Char('\''))
            text[at] = QChar(opens ? 0x2018 : 0x2019);
    }
    return text;
}

// The text with French typography's spaces: a no-break space before a colon that follows a word
// and inside « », which take the place of double quotes; a narrow one before ; ! ?
inline QString frenchSpaced(QString text)
{
    static const QRegularExpression colon(QStringLiteral("(?<=[^\\s\\d]):"));
    static const QRegularExpression stop(QStringLiteral("(?<=\\S)([;!?])"));
    text.replace(colon, QStringLiteral("\u00a0:"));
    text.replace(stop, QStringLiteral("\u202f\\1"));
    bool open = true;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t letter = text[at].unicode();
        if (letter != u'"' && letter != 0x201c && letter != 0x201d)
            continue;
        const QString quote = open ? QStringLiteral("«\u00a0") : QStringLiteral("\u00a0»");
        text.replace(at, 1, quote);
        at += quote.size() - 1;
        open = !open;
    }
    return text;
}

// The text with each of its characters' names in turn given to a Greek or Cyrillic character.
inline QString otherScriptNamed(QString text, Draw& draw)
{
    for (const char* name : kNames) {
        const QRegularExpression whole(QStringLiteral("\\b%1\\b").arg(QString::fromUtf8(name)),
                                       QRegularExpression::UseUnicodePropertiesOption);
        text.replace(whole, draw.from(kOtherNames));
    }
    return text;
}

// The text with a soft hyphen after each fourth letter of its words of nine letters or more.
inline QString softHyphenated(const QString& text)
{
    static const QRegularExpression longWord(QStringLiteral("\\b\\p{L}{9,}\\b"),
                                             QRegularExpression::UseUnicodePropertiesOption);
    QString hyphenated;
    qsizetype from = 0;
    for (QRegularExpressionMatchIterator words = longWord.globalMatch(text); words.hasNext();) {
        const QRegularExpressionMatch word = words.next();
        hyphenated += text.mid(from, word.capturedStart() - from);
        const QString letters = word.captured();
        for (qsizetype at = 0; at < letters.size(); at += 4)
            hyphenated +=
                (at > 0 && letters.size() - at > 2 ? QStringLiteral("\u00ad") : QString()) + letters.mid(at, 4);
        from = word.capturedEnd();
    }
    return hyphenated + text.mid(from);
}

inline QString text(std::uint64_t seed, bool payoff, Typing typing)
{
    constexpr int kShortest = 30;
    constexpr int kLongest = 240;
    Draw draw(seed);
    const int wanted = kShortest + draw.below(kLongest - kShortest + 1);
    QString written = sentence(draw, payoff);
    while (written.size() < wanted) {
        const QString more = sentence(draw, payoff);
        if (written.size() + 1 + more.size() > kLongest)
            break;
        written += QLatin1Char(' ') + more;
    }
    // A short opening sentence gets a second one; a long one is cut after a word.
    while (written.size() < kShortest)
        written += QLatin1Char(' ') + sentence(draw, payoff);
    if (written.size() > kLongest) {
        written.truncate(written.lastIndexOf(QLatin1Char(' '), kLongest - 1));
        written += QLatin1Char('.');
    }
    // How the writer typed it is drawn apart, so that each text reads the same whatever the typing.
    Draw typed(seed ^ 0x7E57ED0C0FFEEULL);
    const bool curly = typing == Typing::AsAWordProcessor || (typing != Typing::Straight && typed.below(5) < 4);
    QString text = curly ? typeset(written, typed.below(3)) : written;
    // The other languages' ways are drawn apart too, each share on its own.
    Draw other(seed ^ 0xF4E7C4ULL);
    const bool varied = typing == Typing::Varied;
    if ((typing == Typing::OtherScriptNames && other.below(10) < 3) || (varied && other.below(10) == 0))
        text = otherScriptNamed(text, other);
    if ((typing == Typing::FrenchSpacing && other.below(4) < 3) || (varied && other.below(8) == 0))
        text = frenchSpaced(text);
    if (varied && other.below(10) == 0)
        text = text.normalized(QString::NormalizationForm_D);
    if (varied && other.below(20) == 0)
        text = softHyphenated(text);
    return text;
}

} // namespace Detail

// The set-up of index `index`.
inline QString setup(int index, Typing typing = Typing::AsInScripts)
{
    return Detail::text(2 * static_cast<std::uint64_t>(index), false, typing);
}

// The pay-off of index `index`.
inline QString payoff(int index, Typing typing = Typing::AsInScripts)
{
    return Detail::text(2 * static_cast<std::uint64_t>(index) + 1, true, typing);
}

} // namespace WriterTexts
