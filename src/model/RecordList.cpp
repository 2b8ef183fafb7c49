#include "RecordList.h"

#include <bit>

void RecordIndex::add(StoryRecord& record)
{
    int held = 0;
    try {
        for (; held < record.indexedKeyCount(); ++held)
            byKey_[static_cast<std::size_t>(held)].hold(record.indexedKey(held), record);
    } catch (...) {
        while (held-- > 0)
            byKey_[static_cast<std::size_t>(held)].release(record.indexedKey(held), record);
        throw;
    }
    record.index_ = this;
}

void RecordIndex::remove(StoryRecord& record)
{
    for (int key = 0; key < record.indexedKeyCount(); ++key)
        byKey_[static_cast<std::size_t>(key)].release(record.indexedKey(key), record);
    record.index_ = nullptr;
}

void RecordIndex::keyChanged(StoryRecord& record, int key, std::int64_t from, std::int64_t to)
{
    Table& table = byKey_[static_cast<std::size_t>(key)];
    table.release(from, record);
    table.hold(to, record);
}

void RecordIndex::settle(int key, std::int64_t value, StoryRecord& record)
{
    byKey_[static_cast<std::size_t>(key)].settle(value, record);
}

std::optional<std::size_t> RecordIndex::Table::slotHolding(std::int64_t key) const
{
    if (used_ == 0)
        return std::nullopt;
    for (std::size_t at = slotOf(key); slots_[at].holder != 0; at = (at + 1) & mask_)
        if (slots_[at].key == key)
            return at;
    return std::nullopt;
}

void RecordIndex::Table::hold(std::int64_t key, StoryRecord& record)
{
    if (const std::optional<std::size_t> at = slotHolding(key)) {
        // A second holder: which one the list answers is for the list to find out.
        ++counts_[*at];
        slots_[*at].holder = kTaken;
        return;
    }
    // At most three quarters full: a probe still ends soon, and the table stays small enough for
    // the processor's caches.
    if (4 * (used_ + 1) > 3 * slots_.size())
        grow();
    std::size_t at = slotOf(key);
    while (slots_[at].holder != 0)
        at = (at + 1) & mask_;
    ++used_;
    slots_[at] = {key, reinterpret_cast<std::uintptr_t>(&record) | kTaken};
    counts_[at] = 1;
}

void RecordIndex::Table::release(std::int64_t key, const StoryRecord& record)
{
    const std::optional<std::size_t> held = slotHolding(key);
    if (!held)
        return;
    if (counts_[*held] > 1) {
        --counts_[*held];
        if (slots_[*held].holder == (reinterpret_cast<std::uintptr_t>(&record) | kTaken))
            slots_[*held].holder = kTaken;
        return;
    }
    // The slots after the freed one that probed past it move back into it, so that no probe stops
    // short at the gap.
    std::size_t gap = *held;
    for (std::size_t at = (gap + 1) & mask_; slots_[at].holder != 0; at = (at + 1) & mask_) {
        const std::size_t home = slotOf(slots_[at].key);
        const bool staysPut = gap <= at ? (gap < home && home <= at) : (gap < home || home <= at);
        if (staysPut)
            continue;
        slots_[gap] = slots_[at];
        counts_[gap] = counts_[at];
        gap = at;
    }
    slots_[gap] = Slot{};
    counts_[gap] = 0;
    --used_;
}

void RecordIndex::Table::settle(std::int64_t key, StoryRecord& record)
{
    if (const std::optional<std::size_t> at = slotHolding(key); at && counts_[*at] == 1)
        slots_[*at].holder = reinterpret_cast<std::uintptr_t>(&record) | kTaken;
}

void RecordIndex::Table::grow()
{
    const std::size_t size = std::max<std::size_t>(16, 2 * slots_.size());
    const std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(size));
    const std::vector<std::uint32_t> oldCounts = std::exchange(counts_, std::vector<std::uint32_t>(size));
    mask_ = slots_.size() - 1;
    shift_ = 64 - std::countr_zero(slots_.size());
    for (std::size_t from = 0; from < old.size(); ++from) {
        if (old[from].holder == 0)
            continue;
        std::size_t at = slotOf(old[from].key);
        while (slots_[at].holder != 0)
            at = (at + 1) & mask_;
        slots_[at] = old[from];
        counts_[at] = oldCounts[from];
    }
}
