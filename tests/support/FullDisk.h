#pragma once

// While it lives, every file SQLite opens from then on lies on a disk that is full: what a file
// holds can be read and written over, but no file can grow, so a journal cannot take its first
// page and a story file no new one. SQLite then answers as it does on a full disk (SQLITE_FULL),
// through its own failure paths. Connections opened before keep the disk they had.
class FullDisk
{
public:
    FullDisk();
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // The writes refused so far.
    int refusedWrites() const;
};
