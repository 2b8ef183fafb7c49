#pragma once

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// Every table of a story file by name, each row in key order as its columns, each named with the
// kind and the bytes stored; of the story's own row ("Screenplay") the columns named in
// `leftOutOfStoryRow` are left out. An empty table has no rows.
using StoredTables = std::map<QString, std::vector<std::string>>;
StoredTables storedTables(const QString& path, const QStringList& leftOutOfStoryRow);

// Expects `after` to hold every table of `before`, row for row.
inline void expectSameTables(const StoredTables& before, const StoredTables& after)
{
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [table, rows] : before) {
        SCOPED_TRACE(table.toStdString());
        const auto now = after.find(table);
        ASSERT_NE(now, after.end());
        EXPECT_EQ(now->second.size(), rows.size());
        for (std::size_t row = 0; row < std::min(now->second.size(), rows.size()); ++row)
            EXPECT_EQ(now->second[row], rows[row]) << "row " << row;
    }
}
