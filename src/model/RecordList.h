#pragma once

#include "StoryRecord.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

// Which record of one list holds each key its records are looked up by (StoryRecord::indexedKey):
// kept right as records join and leave the list and as their keys change, so that a look-up costs
// one probe of a table however long the list. A key that several records hold (records not stored
// yet, or a link a damaged file gives twice) is only counted: the list answers the first of them
// in its own order.
class RecordIndex
{
public:
    RecordIndex() = default;
    RecordIndex(const RecordIndex&) = delete;
    RecordIndex& operator=(const RecordIndex&) = delete;

    // The record joins (leaves) the index with every key it has; it tells the index of changes
    // to its keys while it is in.
    void add(StoryRecord& record);
    void remove(StoryRecord& record);
    void keyChanged(StoryRecord& record, int key, std::int64_t from, std::int64_t to);

    struct Found {
        StoryRecord* record = nullptr;
        // More than one record holds the key, or the one that does is not known: the list looks.
        bool look = false;
    };
    Found find(int key, std::int64_t value) const { return byKey_[static_cast<std::size_t>(key)].find(value); }
    // The one holder of a key, found by looking after `find` could not tell it.
    void settle(int key, std::int64_t value, StoryRecord& record);

private:
    // The keys of one kind and their holders in one block of memory, found by linear probing: a
    // look-up reads one slot of 16 bytes, or a few neighbouring ones, wherever the records lie.
    class Table
    {
    public:
        Found find(std::int64_t key) const
        {
            if (used_ == 0)
                return {};
            const Slot* first = slots_.data();
            for (std::size_t at = slotOf(key);; at = (at + 1) & mask_) {
                const Slot& slot = first[at];
                if (slot.holder == 0)
                    return {};
                if (slot.key == key) {
                    auto* record = reinterpret_cast<StoryRecord*>(slot.holder & ~kTaken);
                    return {record, record == nullptr};
                }
            }
        }
        // One more record holds `key`: `record`, which is its holder when it is the first.
        void hold(std::int64_t key, StoryRecord& record);
        // `record` no longer holds `key`.
        void release(std::int64_t key, const StoryRecord& record);
        // `record` holds `key` alone, when just one record holds it.
        void settle(std::int64_t key, StoryRecord& record);

    private:
        struct Slot {
            std::int64_t key = 0;
            // The address of the key's one known holder (0 when it has more, or one not known),
            // with kTaken set; 0 in a free slot.
            std::uintptr_t holder = 0;
        };
        // Records lie at even addresses, so the lowest bit is free to mark a slot taken.
        static constexpr std::uintptr_t kTaken = 1;

        std::size_t slotOf(std::int64_t key) const
        {
            // Fibonacci hashing spreads keys that follow one another over the whole table.
            return static_cast<std::size_t>((static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ull) >> shift_);
        }
        // The slot that holds `key`, or none.
        std::optional<std::size_t> slotHolding(std::int64_t key) const;
        void grow();

        std::vector<Slot> slots_;
        // How many records hold the key of each slot: kept apart, as a look-up never reads it.
        std::vector<std::uint32_t> counts_;
        std::size_t mask_ = 0;
        std::size_t used_ = 0;
        int shift_ = 64;
    };

    std::array<Table, StoryRecord::kMostIndexedKeys> byKey_;
};

// An ordered list of records that owns them: what the story keeps each kind of record in. The
// order is the list's own (loading order, then the sorts the story applies). Records of classes
// that declare keys (kIndexedKeys, StoryRecord::indexedKey) are found by key in constant time;
// so that the index stays right, the list changes only through its own operations, and reading
// it hands out records, never the slots that own them.
template <typename Record>
class RecordList
{
public:
    using Pointer = std::unique_ptr<Record>;
    using const_iterator = typename std::vector<Pointer>::const_iterator;
    using iterator = const_iterator;
    using value_type = Pointer;
    using size_type = std::size_t;

    RecordList() = default;
    RecordList(RecordList&&) noexcept = default;
    RecordList& operator=(RecordList&&) noexcept = default;
    ~RecordList() = default;

    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const Pointer& operator[](std::size_t at) const { return items_[at]; }
    const Pointer& at(std::size_t at) const { return items_.at(at); }
    const Pointer& front() const { return items_.front(); }
    const Pointer& back() const { return items_.back(); }
    void reserve(std::size_t count) { items_.reserve(count); }

    void push_back(Pointer record) { insert(end(), std::move(record)); }
    void pop_back()
    {
        leave(*items_.back());
        items_.pop_back();
    }
    const_iterator insert(const_iterator at, Pointer record)
    {
        // In the list first: a record the index could not take leaves it again, and goes.
        const auto placed = items_.insert(at, std::move(record));
        try {
            join(**placed);
        } catch (...) {
            items_.erase(placed);
            throw;
        }
        return placed;
    }
    const_iterator erase(const_iterator at)
    {
        leave(**at);
        return items_.erase(at);
    }
    const_iterator erase(const_iterator first, const_iterator last)
    {
        for (auto at = first; at != last; ++at)
            leave(**at);
        return items_.erase(first, last);
    }
    void clear()
    {
        for (const Pointer& record : items_)
            leave(*record);
        items_.clear();
    }
    // Drops every record that `matches`; answers how many.
    template <typename Predicate>
    std::size_t eraseIf(Predicate matches)
    {
        return std::erase_if(items_, [&](const Pointer& record) {
            if (!matches(record))
                return false;
            leave(*record);
            return true;
        });
    }
    // Takes the record out of the list and hands it over; nothing when the list does not hold it.
    Pointer take(const Record* record)
    {
        const auto at =
            std::find_if(items_.begin(), items_.end(), [record](const Pointer& held) { return held.get() == record; });
        if (at == items_.end())
            return nullptr;
        leave(**at);
        Pointer taken = std::move(*at);
        items_.erase(at);
        return taken;
    }
    // Hands every record over, in order, and leaves the list empty.
    std::vector<Pointer> release()
    {
        for (const Pointer& record : items_)
            leave(*record);
        return std::exchange(items_, {});
    }
    // Exchanges the places of two records.
    void swapPlaces(std::size_t first, std::size_t second) { std::swap(items_.at(first), items_.at(second)); }
    // Reorders the records; `before` is a strict weak order, and equal records keep their order.
    template <typename Before>
    void stableSort(Before before)
    {
        std::stable_sort(items_.begin(), items_.end(), before);
    }

    // The first record whose key `key` (StoryRecord::indexedKey) is `value`, or nothing.
    Record* find(std::int64_t value, int key = 0) const
    {
        static_assert(indexed(), "the record class declares no keys");
        if (!index_)
            return nullptr;
        const RecordIndex::Found found = index_->find(key, value);
        if (!found.look) [[likely]]
            return static_cast<Record*>(found.record);
        return findByLooking(value, key);
    }
    // Every record whose key `key` is `value`, in the list's order.
    std::vector<Record*> findAll(std::int64_t value, int key = 0) const
    {
        static_assert(indexed(), "the record class declares no keys");
        std::vector<Record*> found;
        if (!index_)
            return found;
        const RecordIndex::Found held = index_->find(key, value);
        if (!held.look) {
            if (held.record)
                found.push_back(static_cast<Record*>(held.record));
            return found;
        }
        for (const Pointer& record : items_)
            if (record->indexedKey(key) == value)
                found.push_back(record.get());
        return found;
    }

private:
    static constexpr bool indexed() { return requires { Record::kIndexedKeys; }; }

    // The first holder of a key the index could not tell, found by looking through the list; kept
    // out of find, so that a look-up the index answers does no more than read it.
    [[gnu::noinline]] Record* findByLooking(std::int64_t value, int key) const
    {
        Record* first = nullptr;
        std::size_t holders = 0;
        for (const Pointer& record : items_) {
            if (record->indexedKey(key) != value)
                continue;
            if (!first)
                first = record.get();
            ++holders;
        }
        if (first && holders == 1)
            index_->settle(key, value, *first);
        return first;
    }

    void join(Record& record)
    {
        if constexpr (indexed()) {
            if (!index_)
                index_ = std::make_unique<RecordIndex>();
            index_->add(record);
        }
    }
    void leave(Record& record)
    {
        if constexpr (indexed())
            index_->remove(record);
    }

    std::vector<Pointer> items_;
    // On the heap, so that a moved list keeps the index its records report to.
    std::unique_ptr<RecordIndex> index_;
};
