#pragma once

struct sqlite3;

// Runs a group of writes to the story file as one: begun on construction, kept by commit(),
// undone when the scope is left without it (an exception on the way). Groups may nest.
// Failures to begin or keep raise a DatabaseError.
class StoryTransaction
{
public:
    explicit StoryTransaction(sqlite3* database);
    ~StoryTransaction();
    StoryTransaction(const StoryTransaction&) = delete;
    StoryTransaction& operator=(const StoryTransaction&) = delete;

    void commit();

private:
    sqlite3* database_;
    bool open_ = false;
};
