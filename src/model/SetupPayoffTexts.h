#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

class Screenplaydb;

// The texts of a story's set-ups and pay-offs, and the headings and pages of the cards they lie on,
// as plain values, with the section the story shows and its text size setting: what the lists of
// set-ups and pay-offs show, apart from the story. Taken from a story in memory, or read straight
// from its file while the story's own connection checks it.
struct SetupPayoffTexts {
    struct Setup {
        std::int64_t cardID = 0;
        std::int64_t payoffID = 0;
        QString text;
    };
    struct Payoff {
        std::int64_t payoffID = 0;
        std::int64_t cardID = 0;
        QString text;
    };
    struct Card {
        QString heading;
        std::int64_t page = 0;
    };

    std::int64_t sectionShowing = 0;
    std::int64_t fontSetting = 0;
    // In the story's order.
    std::vector<Setup> setups;
    std::vector<Payoff> payoffs;
    std::unordered_map<std::int64_t, Card> cards;
};

// The values of the story in memory.
SetupPayoffTexts setupPayoffTexts(Screenplaydb& story);

// The values as the story file at `path` holds them, read on a connection of its own that only
// reads (the file may not have been checked yet: it is opened defensively, distrusting its schema),
// and closed before this answers. Nothing when the file cannot be read so, when a journal lies
// beside it, when the section it shows is not one `wanted` takes, or once `stop` is set: a read in
// progress then ends at once.
std::optional<SetupPayoffTexts> readSetupPayoffTexts(const QString& path,
                                                     const std::function<bool(std::int64_t section)>& wanted,
                                                     const std::atomic<bool>& stop);
