#pragma once

#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// The slots of an open table that finds entries kept in a list by their hashes (hashed and
// compared in place, quicker than a general map for the strings of texts and words): each
// slot holds a hash and its entry's place in the list. Half the slots stay open, so that an entry
// is found in a step or two.
class HashSlots
{
public:
    // The place of the entry of `hash` that `same` takes for the one looked for, or -1.
    template <typename Same>
    std::ptrdiff_t find(std::uint64_t hash, Same same) const
    {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash & mask; slots_[at].entry != 0; at = (at + 1) & mask)
            if (slots_[at].hash == hash && same(slots_[at].entry - 1))
                return static_cast<std::ptrdiff_t>(slots_[at].entry - 1);
        return -1;
    }
    void add(std::uint64_t hash, std::size_t entry)
    {
        if (2 * (count_ + 1) > slots_.size()) {
            std::vector<Slot> grown(2 * slots_.size());
            for (const Slot& slot : slots_)
                if (slot.entry != 0)
                    place(grown, slot);
            slots_ = std::move(grown);
        }
        place(slots_, {hash, entry + 1});
        ++count_;
    }
    void clear()
    {
        slots_.assign(kFirstSlots, Slot());
        count_ = 0;
    }

private:
    struct Slot {
        std::uint64_t hash = 0;
        // The entry's place + 1; 0 for an open slot.
        std::size_t entry = 0;
    };
    static constexpr std::size_t kFirstSlots = 1024;

    static void place(std::vector<Slot>& table, const Slot& slot)
    {
        const std::size_t mask = table.size() - 1;
        std::size_t at = slot.hash & mask;
        while (table[at].entry != 0)
            at = (at + 1) & mask;
        table[at] = slot;
    }

    std::vector<Slot> slots_ = std::vector<Slot>(kFirstSlots);
    std::size_t count_ = 0;
};

// A word's hash, quick for the short strings words are.
inline std::uint64_t wordHash(QStringView letters)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const QChar letter : letters)
        hash = (hash ^ letter.unicode()) * 1099511628211ULL;
    return hash;
}

// A text's hash, four letters a step.
inline std::uint64_t textHash(QStringView text)
{
    constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ULL;
    const char16_t* at = text.utf16();
    const char16_t* const end = at + text.size();
    std::uint64_t hash = kMix ^ static_cast<std::uint64_t>(text.size());
    for (; end - at >= 4; at += 4) {
        std::uint64_t four;
        std::memcpy(&four, at, sizeof four);
        hash = (hash ^ four) * kMix;
        hash ^= hash >> 29;
    }
    for (; at != end; ++at)
        hash = (hash ^ *at) * kMix;
    return hash ^ (hash >> 32);
}
