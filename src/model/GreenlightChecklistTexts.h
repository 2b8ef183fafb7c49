#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The words of the greenlight checklist: 22 section titles and 55 questions a screenwriter
// asks of a finished outline, numbered 1 to 55 in reading order. The story keeps only the
// answers (GreenlightChecklistQuestiondb); the panel on the notes board and the whole-story
// text both take their words from here.

constexpr std::int64_t kGreenlightQuestionCount = 55;

struct GreenlightSection {
    // As shown, without a line break.
    const char* title;
    // The questions under the title, first to last; both 0 for an act's title, which heads
    // sections rather than questions.
    std::int64_t firstQuestion;
    std::int64_t lastQuestion;
};

// In reading order; the sections' question ranges follow one another from 1 to 55.
const std::array<GreenlightSection, 22>& greenlightSections();

// The question with that number, without its mark; empty outside 1 to 55.
QString greenlightQuestion(std::int64_t questionNumber);
