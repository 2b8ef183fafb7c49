#include "RecordList.h"

#include <bit>

void RecordIndex::add(StoryRecord& record)
{
    int held = 0;
    try {
        for (; held < record.indexedKeyCount(); ++held)
            hold(held, record.indexedKey(held), record);
    } catch (...) {
        while (held-- > 0)
            release(held, record.indexedKey(held), record);
        throw;
    }
    record.index_ = this;
}

void RecordIndex::remove(StoryRecord& record)
{
    for (int key = 0; key < record.indexedKeyCount(); ++key)
        release(key, record.indexedKey(key), record);
    record.index_ = nullptr;
}

void RecordIndex::keyChanged(StoryRecord& record, int key, std::int64_t from, std::int64_t to)
{
    release(key, from, record);
    hold(key, to, record);
}

void RecordIndex::settle(int key, std::int64_t value, StoryRecord& record)
{
    if (Holders* holders = byKey_[static_cast<std::size_t>(key)].find(value); holders && holders->count == 1)
        holders->one = &record;
}

void RecordIndex::hold(int key, std::int64_t value, StoryRecord& record)
{
    Holders& holders = byKey_[static_cast<std::size_t>(key)].insert(value);
    holders.one = holders.count++ == 0 ? &record : nullptr;
}

void RecordIndex::release(int key, std::int64_t value, const StoryRecord& record)
{
    Table& table = byKey_[static_cast<std::size_t>(key)];
    Holders* holders = table.find(value);
    if (!holders)
        return;
    if (holders->count == 1)
        table.erase(value);
    else if (--holders->count; holders->one == &record)
        holders->one = nullptr;
}

RecordIndex::Holders& RecordIndex::Table::insert(std::int64_t key)
{
    // At most half full, so that a probe ends soon.
    if (2 * (used_ + 1) > slots_.size())
        grow();
    std::size_t at = slotOf(key);
    for (; slots_[at].holders.count != 0; at = (at + 1) & mask_)
        if (slots_[at].key == key)
            return slots_[at].holders;
    ++used_;
    slots_[at].key = key;
    return slots_[at].holders;
}

void RecordIndex::Table::erase(std::int64_t key)
{
    if (!find(key))
        return;
    std::size_t gap = slotOf(key);
    while (slots_[gap].key != key)
        gap = (gap + 1) & mask_;
    // The slots after the freed one that probed past it move back into it, so that no probe stops
    // short at the gap.
    for (std::size_t at = (gap + 1) & mask_; slots_[at].holders.count != 0; at = (at + 1) & mask_) {
        const std::size_t home = slotOf(slots_[at].key);
        const bool staysPut = gap <= at ? (gap < home && home <= at) : (gap < home || home <= at);
        if (staysPut)
            continue;
        slots_[gap] = slots_[at];
        gap = at;
    }
    slots_[gap] = Slot{};
    --used_;
}

void RecordIndex::Table::grow()
{
    std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(std::max<std::size_t>(16, 2 * slots_.size())));
    mask_ = slots_.size() - 1;
    shift_ = 64 - std::countr_zero(slots_.size());
    used_ = 0;
    for (const Slot& slot : old) {
        if (slot.holders.count == 0)
            continue;
        Holders& holders = insert(slot.key);
        holders = slot.holders;
    }
}
