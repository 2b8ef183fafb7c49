#pragma once

#include "StoryReport.h"

#include <QColor>

#include <cstdint>
#include <functional>
#include <memory>

class Screenplaydb;

// The builders of the story's printed reports on the common frame: each lays out its report
// from the story, which it only reads, and answers it ready to print. The story must outlive
// the report.
namespace StoryReports {

// Every logline but the current one (which stands in every page header), each under a rule.
std::unique_ptr<StoryReport> loglines(Screenplaydb& story);
// The beats in the story's order, each labelled with its pages, on Letter paper whatever the
// document's paper.
std::unique_ptr<StoryReport> beatSheet(Screenplaydb& story);
// Each character by name (any case) with its picture and description.
std::unique_ptr<StoryReport> charactersList(Screenplaydb& story);
// Each character's details: gender, age, description, wants, needs, the six things that need
// fixing with their notes, notes and attachments. Tells ReportProgress of each character and
// answers nothing when the writer stops it.
std::unique_ptr<StoryReport> charactersBiography(Screenplaydb& story);
// Each location by name (any case) with its picture and description.
std::unique_ptr<StoryReport> locationsList(Screenplaydb& story);
// Each location's picture, description, notes and attachments.
std::unique_ptr<StoryReport> locationsDetails(Screenplaydb& story);
// Each set-up with the pay-off it leads to, or "NO PAY-OFF".
std::unique_ptr<StoryReport> setups(Screenplaydb& story);
// Each pay-off with the set-up that leads to it, or "NO SET-UP".
std::unique_ptr<StoryReport> payoffs(Screenplaydb& story);
// The general-notes board's attachments, then its sticky notes, each ordered by colour then
// title (any case) and printed on a box of its note colour; `colour` 1 to 10 keeps only the
// items of that colour, 0 keeps all. The story's two lists are left in that order.
std::unique_ptr<StoryReport> generalNotes(Screenplaydb& story, std::int64_t colour,
                                          const std::function<QColor(std::int64_t)>& palette);

} // namespace StoryReports
