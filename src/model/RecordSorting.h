#pragma once

#include "RecordList.h"

#include <algorithm>
#include <memory>
#include <vector>

// Sorts records with one of their three-way comparators (answering -1, 0 or 1), keeping the
// present order of records the comparator holds equal.
template <typename Record, typename Pointer>
void sortRecords(std::vector<Pointer>& records, int (Record::*comparator)(const Record&) const)
{
    const auto before = [comparator](const Pointer& a, const Pointer& b) { return ((*a).*comparator)(*b) < 0; };
    // Lists are mostly sorted already, and a stable sort of a sorted list changes nothing.
    if (!std::is_sorted(records.begin(), records.end(), before))
        std::stable_sort(records.begin(), records.end(), before);
}

template <typename Record>
void sortRecords(RecordList<Record>& records, int (Record::*comparator)(const Record&) const)
{
    const auto before = [comparator](const auto& a, const auto& b) { return ((*a).*comparator)(*b) < 0; };
    if (!std::is_sorted(records.begin(), records.end(), before))
        records.stableSort(before);
}

// Three-way comparison of two values as -1, 0 or 1.
template <typename T>
int compareValues(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Takes the record out of the list and hands it over; nothing when the list does not hold it.
template <typename Record>
std::unique_ptr<Record> takeRecord(std::vector<std::unique_ptr<Record>>& records, const Record* record)
{
    auto at = std::find_if(records.begin(), records.end(), [record](const auto& held) { return held.get() == record; });
    if (at == records.end())
        return nullptr;
    std::unique_ptr<Record> taken = std::move(*at);
    records.erase(at);
    return taken;
}

template <typename Record>
std::unique_ptr<Record> takeRecord(RecordList<Record>& records, const Record* record)
{
    return records.take(record);
}
