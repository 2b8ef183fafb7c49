#pragma once

#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>

#include <initializer_list>
#include <utility>
#include <vector>

// Notes where scroll views stand and puts them back there when it goes: work that rebuilds or
// resizes what they show, or moves the keyboard focus inside them, leaves them where the user
// had scrolled them (as far as what they still show allows). A view gone meanwhile is passed over.
class KeptScrollPositions
{
public:
    explicit KeptScrollPositions(std::initializer_list<QScrollArea*> views)
    {
        for (QScrollArea* view : views)
            if (view)
                kept_.push_back({view, {view->horizontalScrollBar()->value(), view->verticalScrollBar()->value()}});
    }
    ~KeptScrollPositions()
    {
        for (const auto& [view, place] : kept_) {
            if (!view)
                continue;
            view->horizontalScrollBar()->setValue(place.first);
            view->verticalScrollBar()->setValue(place.second);
        }
    }
    KeptScrollPositions(const KeptScrollPositions&) = delete;
    KeptScrollPositions& operator=(const KeptScrollPositions&) = delete;

private:
    std::vector<std::pair<QPointer<QScrollArea>, std::pair<int, int>>> kept_;
};
