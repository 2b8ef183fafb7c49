#pragma once

#include "StoryReport.h"

#include <memory>
#include <vector>

class SceneCarddb;
class Screenplaydb;

// The printed reports of scene cards: the summary and the details of the cards the board (or
// its list view) shows, the Litter Box by beats, and the script in screenplay layout. Each
// builder reads the story and answers the report ready to print; the story must outlive it.
// The long ones tell ReportProgress of each card and answer nothing when the writer stops them.
namespace SceneCardReports {

// The cards a summary or details report takes: the board's cards, or, while the board is
// shown as the list view (and the large scene card is closed), the cards the list shows in
// its order. With the large scene card closed, a board view other than the corkboard (1) or the
// list (2) takes no card.
std::vector<SceneCarddb*> cardSet(Screenplaydb& story);

// Places one card's block (heading with its page number at the right margin, description,
// "+/-" emotional change, "><" conflict, closing rule under the conflict's last line) at
// `startY`; answers where the next thing goes. The report's settings are left at left
// alignment, indent 30, no keep-together.
float reportSceneCard(StoryReport& report, const SceneCarddb& card, float startY);

// The card set under the list view's caption, one card block after another.
std::unique_ptr<StoryReport> summary(Screenplaydb& story);
// The Litter Box's cards under the four act labels and the seventeen beat labels; cards whose
// beat lies in no group follow under a label of their own.
std::unique_ptr<StoryReport> litterBox(Screenplaydb& story);
// Every field of each card of the card set, with its set-ups, pay-offs, characters and
// attachments.
std::unique_ptr<StoryReport> details(Screenplaydb& story);
// The board's scenes in board order, each heading followed by the scene's paragraphs at the
// indents of their elements in the script face, on the 12-point line grid of a typed page (see
// ScriptReportLayout); the two speeches of dual dialogue follow each other. Cards whose
// script is not loaded yet load it. The story's board cards are left in board order.
std::unique_ptr<StoryReport> script(Screenplaydb& story);

} // namespace SceneCardReports
