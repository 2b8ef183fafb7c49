#include "GreenlightChecklistTexts.h"

namespace {

constexpr std::array<GreenlightSection, 22> kSections = {{
    {"Title", 1, 1},
    {"Pitch logline", 2, 4},
    {"Mini-story logline", 5, 5},
    {"Act I", 0, 0},
    {"Opening Image", 6, 8},
    {"Theme Stated", 9, 11},
    {"Set-Up", 12, 14},
    {"Catalyst", 15, 17},
    {"Debate", 18, 20},
    {"Act II", 0, 0},
    {"Break into Two", 21, 23},
    {"B Story", 24, 26},
    {"Fun & Games", 27, 29},
    {"Midpoint", 30, 32},
    {"Bad Guys Close In", 33, 35},
    {"All Is Lost", 36, 38},
    {"Dark Night of the Soul", 39, 41},
    {"Act III", 0, 0},
    {"Break into Three", 42, 44},
    {"Finale", 45, 47},
    {"Final Image", 48, 50},
    {"Raising the Bar", 51, 55},
}};

constexpr std::array<const char*, kGreenlightQuestionCount> kQuestions = {
    // Title
    "Is this the title that best shows, in pictures and in feeling, what the story is?",
    // Pitch logline
    "Can you pitch this in a minute?",
    "Is what you pitch being delivered in the script?",
    "Does it grab the audience and keep them wanting more?",
    // Mini-story logline
    "Can you easily tell your story through its key beats?",
    // Opening Image
    "Does the first scene show the hero's world and mood before anything changes?",
    "Is the opening image one the audience will still remember at the end?",
    "Are the tone and the genre clear from the first pages?",
    // Theme Stated
    "Does someone say or hint early on what the story is really about?",
    "Is the theme put as a question the hero will have to answer?",
    "Is it said lightly enough that the hero does not grasp it yet?",
    // Set-Up
    "Have we met the hero and the people who matter in the hero's life?",
    "Do we see what is missing or broken in the hero's life?",
    "Is every thread that pays off later planted here?",
    // Catalyst
    "Is there one clear event that knocks the hero's life off course?",
    "Does the event land at the right moment, and is it hard to ignore?",
    "Is it big enough that life can never go back to how it was?",
    // Debate
    "Does the hero hesitate, doubt or weigh the cost before acting?",
    "Is the question the hero struggles with clear to the audience?",
    "Is the debate short enough to keep the story moving?",
    // Break into Two
    "Does the hero choose to step into the new world, rather than being pushed?",
    "Is the new world clearly different from the world of Act I?",
    "Does the break come at the right place in the page count?",
    // B Story
    "Is there a second story, often a relationship, that carries the theme?",
    "Do its characters bring something new into the hero's life?",
    "Does it give the audience a breather from the main plot?",
    // Fun & Games
    "Does this stretch deliver the scenes the premise promises?",
    "Would these scenes sit well in the trailer?",
    "Are the stakes still light enough for the audience to enjoy the ride?",
    // Midpoint
    "Does the midpoint bring a false victory or a false defeat?",
    "Do the stakes rise and does a clock start ticking?",
    "Do the main story and the second story cross here?",
    // Bad Guys Close In
    "Do the forces against the hero regroup and press harder?",
    "Do doubts and old flaws start to split the hero's side?",
    "Does each scene make things worse for the hero?",
    // All Is Lost
    "Does the hero hit the lowest point, seemingly beaten?",
    "Is something or someone lost for good?",
    "Is this moment the opposite of the midpoint?",
    // Dark Night of the Soul
    "Do we see the hero take in the loss before acting again?",
    "Does the hero face the flaw that brought all this about?",
    "Does the darkness lead to the idea that will save the day?",
    // Break into Three
    "Does the way out come from joining the main story and the second story?",
    "Has the hero learned what the theme set out to teach?",
    "Does the hero choose to act instead of waiting to be rescued?",
    // Finale
    "Does the hero win, or lose, by using everything learned?",
    "Are the forces against the hero dealt with, from the least to the greatest?",
    "Is the world changed by what the hero has done?",
    // Final Image
    "Does the final image answer the opening image?",
    "Does it show clearly how much the hero has changed?",
    "Does the ending leave the audience with the feeling the story promised?",
    // Raising the Bar
    "Does every scene turn an emotion from where it began?",
    "Does every scene hold a conflict, with clear wants on each side?",
    "Does every main character speak in a voice of their own?",
    "What is new about this movie and, given its genre, does it move the art forward?",
    "Who is this movie for and does the script do anything that veers from that target audience?",
};

} // namespace

const std::array<GreenlightSection, 22>& greenlightSections()
{
    return kSections;
}

QString greenlightQuestion(std::int64_t questionNumber)
{
    if (questionNumber < 1 || questionNumber > kGreenlightQuestionCount)
        return {};
    return QString::fromUtf8(kQuestions[std::size_t(questionNumber - 1)]);
}
