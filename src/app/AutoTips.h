#pragma once

#include <QString>

class RandomSource;
class Screenplaydb;

// Help topic keys built from a story, and the choice of the automatic tip that suits how far
// the story has come. Pure functions of the story and a random source, so a seeded or
// scripted source reproduces every choice.
namespace AutoTips {

// The genre as it appears in a topic key: its letters and digits only, in capitals
// ("Space Opera" -> "SPACEOPERA"). Nothing else of a stored genre can reach a resource name.
QString genreKeyPart(const QString& genre);
// "GENRE" for a story without a genre, else "GENRE<NAME>".
QString genreHelpKey(const QString& genre);
// "GENRE<NAME>POPUP".
QString genreTipKey(const QString& genre);

// Whether the story holds any scene card, on the board or in the Litter Box. Its first cards
// are the beat cards, placed once: a story with cards, if only in the Litter Box, is never
// offered them again.
bool storyHasSceneCards(Screenplaydb& story);
// A story takes scene cards once it has any, or once its title, current logline, genre and
// every beat are filled in.
bool storyAcceptsSceneCards(Screenplaydb& story);

// How many tip categories fit the story, 1 to 6: logline tips always; beat tips once the
// story takes cards; then one more for each act of the board that holds a card (act one,
// the two halves of act two, act three).
int tipCategoryCount(Screenplaydb& story);

// A whole number from 1 to n (n at least 1).
long randomNumberWithMax(RandomSource& random, long n);

// The key of one automatic tip for the story.
QString autoTipKey(Screenplaydb& story, RandomSource& random);

} // namespace AutoTips
