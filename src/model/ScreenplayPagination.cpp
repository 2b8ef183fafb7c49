#include "ScreenplayPagination.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace ScreenplayPagination {

namespace {

// How a paragraph may break at the foot of a page.
enum class Flow {
    // Never: it goes to the next page whole.
    Whole,
    // Between lines, with at least two lines on each side.
    Action,
    // Between lines, with "(MORE)" under the first part and the cue repeated over the rest.
    Dialogue,
};

struct Layout {
    // Characters a line.
    int width;
    int blankLinesBefore;
    Flow flow;
};

Layout layoutOf(Element element)
{
    switch (element) {
    case Element::SceneHeading:
    case Element::Action:
    case Element::NewAct:
    case Element::EndOfAct:
        return {60, 1, element == Element::Action ? Flow::Action : Flow::Whole};
    case Element::Character:
        return {38, 1, Flow::Whole};
    case Element::Parenthetical:
        return {25, 0, Flow::Whole};
    case Element::Dialogue:
        return {35, 0, Flow::Dialogue};
    case Element::Transition:
        return {20, 1, Flow::Whole};
    case Element::LeftCharacter:
    case Element::RightCharacter:
        return {24, 1, Flow::Whole};
    case Element::LeftParenthetical:
    case Element::RightParenthetical:
        return {20, 0, Flow::Whole};
    case Element::LeftDialogue:
    case Element::RightDialogue:
        return {28, 0, Flow::Whole};
    case Element::Unlaid:
        break;
    }
    return {60, 0, Flow::Whole};
}

bool isDual(Element element)
{
    return element >= Element::LeftCharacter && element <= Element::RightDialogue;
}

bool isRight(Element element)
{
    return element >= Element::RightCharacter && element <= Element::RightDialogue;
}

// What lays out as one piece: a paragraph, or the paragraphs of one dual-dialogue block.
struct Unit {
    std::size_t first = 0;
    std::size_t end = 0;
    Element element = Element::Unlaid;
    int lines = 0;
};

class Paginator
{
public:
    explicit Paginator(const std::vector<Paragraph>& paragraphs)
        : paragraphs_(paragraphs)
    {
        lines_.reserve(paragraphs.size());
        for (const Paragraph& paragraph : paragraphs)
            lines_.push_back(paragraph.element == Element::Unlaid
                                 ? 0
                                 : wrappedLineCount(paragraph.text, layoutOf(paragraph.element).width));
        gatherUnits();
    }

    Pages run()
    {
        result_.positions.resize(paragraphs_.size());
        bool laidAny = false;
        // A page break on an unlaid paragraph, waiting for the next one that takes room.
        bool breakPending = false;
        for (std::size_t index = 0; index < units_.size(); ++index) {
            const Unit& unit = units_[index];
            const bool breaksPage = breakPending || paragraphs_[unit.first].startsNewPage;
            if (unit.element == Element::Unlaid) {
                breakPending = breaksPage;
                const bool nextPage = line_ >= kLinesPerPage || (breaksPage && line_ > 0);
                const Position here = nextPage ? Position{page_ + 1, 0} : Position{page_, line_};
                for (std::size_t paragraph = unit.first; paragraph < unit.end; ++paragraph)
                    result_.positions[paragraph] = here;
                continue;
            }
            breakPending = false;
            const Layout layout = layoutOf(unit.element);
            if ((unit.element == Element::NewAct || breaksPage) && line_ > 0)
                newPage();
            int blank = line_ == 0 ? 0 : layout.blankLinesBefore;
            if (line_ > 0 && line_ + blank + keptLines(index) > kLinesPerPage) {
                newPage();
                blank = 0;
            }
            line_ += blank;
            recordPositions(unit);
            place(unit.lines, isDual(unit.element) ? Flow::Whole : layout.flow);
            // Whatever follows the end of an act starts on a page of its own.
            if (unit.element == Element::EndOfAct)
                line_ = kLinesPerPage;
            laidAny = true;
        }
        result_.pageCount = laidAny ? page_ : 0;
        return std::move(result_);
    }

private:
    void gatherUnits()
    {
        std::size_t index = 0;
        while (index < paragraphs_.size()) {
            Unit unit;
            unit.first = index;
            unit.element = paragraphs_[index].element;
            if (!isDual(unit.element)) {
                unit.end = index + 1;
                unit.lines = lines_[index];
                units_.push_back(unit);
                ++index;
                continue;
            }
            // The two columns stand side by side: the block is as tall as the taller.
            std::array<int, 2> columns{};
            while (index < paragraphs_.size() && isDual(paragraphs_[index].element)) {
                const Element element = paragraphs_[index].element;
                columns[isRight(element) ? 1 : 0] += lines_[index];
                ++index;
            }
            unit.end = index;
            unit.lines = std::max(columns[0], columns[1]);
            units_.push_back(unit);
        }
    }

    // The next unit that takes room, or units_.size().
    std::size_t nextLaid(std::size_t index) const
    {
        ++index;
        while (index < units_.size() && units_[index].element == Element::Unlaid)
            ++index;
        return index;
    }

    // Whether the writer broke the page before the unit, on it or on an unlaid unit between it
    // and the one before that takes room.
    bool breaksBefore(std::size_t index) const
    {
        while (true) {
            if (paragraphs_[units_[index].first].startsNewPage)
                return true;
            if (index == 0 || units_[index - 1].element != Element::Unlaid)
                return false;
            --index;
        }
    }

    // Lines a unit needs at its start on the page it begins, blank lines before it left out.
    int keptLines(std::size_t index) const
    {
        const Unit& unit = units_[index];
        switch (unit.element) {
        case Element::SceneHeading: {
            // A heading never stands alone at the foot of a page.
            const std::size_t next = nextLaid(index);
            if (next == units_.size())
                return unit.lines;
            const Element following = units_[next].element;
            if (following == Element::SceneHeading || following == Element::NewAct ||
                following == Element::EndOfAct || breaksBefore(next))
                return unit.lines;
            const int blank = isDual(following) ? 1 : layoutOf(following).blankLinesBefore;
            return unit.lines + blank + keptLines(next);
        }
        case Element::Character: {
            // The cue, its parentheticals and the first line of what it says.
            int lines = unit.lines;
            std::size_t next = nextLaid(index);
            while (next < units_.size() && units_[next].element == Element::Parenthetical) {
                lines += units_[next].lines;
                next = nextLaid(next);
            }
            if (next < units_.size() && units_[next].element == Element::Dialogue)
                lines += keptLines(next);
            return lines;
        }
        case Element::Action:
            return unit.lines >= 4 ? 2 : unit.lines;
        case Element::Dialogue:
            // One line and "(MORE)" under it.
            return unit.lines >= 3 ? 2 : unit.lines;
        default:
            return unit.lines;
        }
    }

    void recordPositions(const Unit& unit)
    {
        std::array<int, 2> columns{};
        for (std::size_t paragraph = unit.first; paragraph < unit.end; ++paragraph) {
            int& column = columns[isRight(paragraphs_[paragraph].element) ? 1 : 0];
            result_.positions[paragraph] = Position{page_, line_ + (isDual(unit.element) ? column : 0)};
            column += lines_[paragraph];
        }
    }

    void place(int lines, Flow flow)
    {
        int remaining = lines;
        while (line_ + remaining > kLinesPerPage) {
            const int room = kLinesPerPage - line_;
            int taken = 0;
            if (flow == Flow::Action) {
                taken = std::min(room, remaining - 2);
                if (taken < 2)
                    taken = 0;
            } else if (flow == Flow::Dialogue) {
                taken = std::min(room - 1, remaining - 1);
                if (taken < 1)
                    taken = 0;
            }
            // Taller than a page: it runs on over as many as it needs.
            if (taken == 0 && line_ == 0)
                taken = room;
            remaining -= taken;
            const bool brokenDialogue = flow == Flow::Dialogue && taken > 0;
            newPage();
            if (brokenDialogue)
                line_ = 1;
        }
        line_ += remaining;
    }

    void newPage()
    {
        ++page_;
        line_ = 0;
    }

    const std::vector<Paragraph>& paragraphs_;
    std::vector<int> lines_;
    std::vector<Unit> units_;
    Pages result_;
    int page_ = 1;
    int line_ = 0;
};

} // namespace

Element elementForType(QStringView type)
{
    static const std::array<std::pair<const char*, Element>, 19> kTypes = {{
        {"Scene Heading", Element::SceneHeading},
        {"Action", Element::Action},
        {"General", Element::Action},
        {"Shot", Element::Action},
        {"Character", Element::Character},
        {"Parenthetical", Element::Parenthetical},
        {"Dialogue", Element::Dialogue},
        {"Transition", Element::Transition},
        {"New Act", Element::NewAct},
        {"Teaser", Element::NewAct},
        {"End of Act", Element::EndOfAct},
        {"DDL-Character", Element::LeftCharacter},
        {"DDL-Parenthetical", Element::LeftParenthetical},
        {"DDL-Dialogue", Element::LeftDialogue},
        {"DDR-Character", Element::RightCharacter},
        {"DDR-Parenthetical", Element::RightParenthetical},
        {"DDR-Dialogue", Element::RightDialogue},
        {"ScriptNote", Element::Unlaid},
        {"DualDialogue", Element::Unlaid},
    }};
    for (const auto& [name, element] : kTypes)
        if (type == QLatin1StringView(name))
            return element;
    return Element::Unlaid;
}

Pages paginate(const std::vector<Paragraph>& paragraphs)
{
    return Paginator(paragraphs).run();
}

int wrappedLineCount(QStringView text, int width)
{
    width = std::max(width, 1);
    int lines = 1;
    // Characters on the line being filled, and of the word being read.
    qsizetype used = 0;
    qsizetype word = 0;
    const auto endWord = [&] {
        if (word == 0)
            return;
        if (used > 0 && used + 1 + word <= width) {
            used += 1 + word;
        } else {
            if (used > 0)
                ++lines;
            // A word longer than the line fills whole lines and goes on in the next.
            lines += static_cast<int>(std::min<qsizetype>((word - 1) / width, 1 << 20));
            used = (word - 1) % width + 1;
        }
        word = 0;
    };
    for (const QChar character : text) {
        if (character == QLatin1Char('\n')) {
            endWord();
            ++lines;
            used = 0;
        } else if (character == QLatin1Char(' ')) {
            endWord();
        } else {
            ++word;
        }
    }
    endWord();
    return lines;
}

std::int64_t scaledPage(Position position, int pagesFound, std::int64_t lockedPages)
{
    if (lockedPages < 1)
        return 0;
    const std::int64_t page = std::max(position.page, 1);
    if (pagesFound < 1 || pagesFound == lockedPages)
        return std::min(page, lockedPages);
    const double share = (static_cast<double>(page - 1) + static_cast<double>(std::max(position.line, 0)) /
                                                             static_cast<double>(kLinesPerPage)) /
                         static_cast<double>(pagesFound);
    const auto scaled = static_cast<std::int64_t>(std::floor(share * static_cast<double>(lockedPages))) + 1;
    return std::clamp<std::int64_t>(scaled, 1, lockedPages);
}

} // namespace ScreenplayPagination
