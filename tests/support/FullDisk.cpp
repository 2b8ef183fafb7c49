#include "FullDisk.h"

#include <sqlite3.h>

#include <atomic>
#include <stdexcept>

namespace {

// The file as SQLite sees it, with the real file of the disk's own file system behind it.
struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;
};

std::atomic<int> refused{0};
sqlite3_vfs* realVfs = nullptr;

sqlite3_file* realOf(sqlite3_file* file)
{
    return reinterpret_cast<ShimFile*>(file)->real;
}

// Each method of the file, and of the file system, passed on to the real one.
template <auto Method>
struct FileMethod;
template <typename Result, typename... Arguments, Result (*sqlite3_io_methods::*Method)(sqlite3_file*, Arguments...)>
struct FileMethod<Method> {
    static Result call(sqlite3_file* file, Arguments... arguments)
    {
        return (realOf(file)->pMethods->*Method)(realOf(file), arguments...);
    }
};
template <auto Method>
struct SystemMethod;
template <typename Result, typename... Arguments, Result (*sqlite3_vfs::*Method)(sqlite3_vfs*, Arguments...)>
struct SystemMethod<Method> {
    static Result call(sqlite3_vfs*, Arguments... arguments) { return (realVfs->*Method)(realVfs, arguments...); }
};

int closeFile(sqlite3_file* file)
{
    const int result = FileMethod<&sqlite3_io_methods::xClose>::call(file);
    realOf(file)->pMethods = nullptr;
    return result;
}

// Nothing may grow: a write that reaches past the end of the file finds no room for it.
int writeFile(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset)
{
    sqlite3_int64 size = 0;
    if (const int sized = FileMethod<&sqlite3_io_methods::xFileSize>::call(file, &size); sized != SQLITE_OK)
        return sized;
    if (offset + amount > size) {
        ++refused;
        return SQLITE_FULL;
    }
    return FileMethod<&sqlite3_io_methods::xWrite>::call(file, buffer, amount, offset);
}

// Version 1: no shared memory (the stories keep a rollback journal) and no memory map.
const sqlite3_io_methods kMethods = {
    1,
    closeFile,
    FileMethod<&sqlite3_io_methods::xRead>::call,
    writeFile,
    FileMethod<&sqlite3_io_methods::xTruncate>::call,
    FileMethod<&sqlite3_io_methods::xSync>::call,
    FileMethod<&sqlite3_io_methods::xFileSize>::call,
    FileMethod<&sqlite3_io_methods::xLock>::call,
    FileMethod<&sqlite3_io_methods::xUnlock>::call,
    FileMethod<&sqlite3_io_methods::xCheckReservedLock>::call,
    FileMethod<&sqlite3_io_methods::xFileControl>::call,
    FileMethod<&sqlite3_io_methods::xSectorSize>::call,
    FileMethod<&sqlite3_io_methods::xDeviceCharacteristics>::call,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

int openFile(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* shim = reinterpret_cast<ShimFile*>(file);
    shim->base.pMethods = nullptr;
    shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
    const int opened = realVfs->xOpen(realVfs, name, shim->real, flags, outFlags);
    if (shim->real->pMethods)
        shim->base.pMethods = &kMethods;
    return opened;
}

sqlite3_vfs fullDiskVfs = {};

} // namespace

FullDisk::FullDisk()
{
    realVfs = sqlite3_vfs_find(nullptr);
    if (!realVfs || realVfs->iVersion < 2)
        throw std::runtime_error("SQLite has no file system to put a full disk in front of");
    refused = 0;
    fullDiskVfs = {};
    fullDiskVfs.iVersion = 2;
    fullDiskVfs.szOsFile = static_cast<int>(sizeof(ShimFile)) + realVfs->szOsFile;
    fullDiskVfs.mxPathname = realVfs->mxPathname;
    fullDiskVfs.zName = "vantora-full-disk";
    fullDiskVfs.xOpen = openFile;
    fullDiskVfs.xDelete = SystemMethod<&sqlite3_vfs::xDelete>::call;
    fullDiskVfs.xAccess = SystemMethod<&sqlite3_vfs::xAccess>::call;
    fullDiskVfs.xFullPathname = SystemMethod<&sqlite3_vfs::xFullPathname>::call;
    fullDiskVfs.xDlOpen = SystemMethod<&sqlite3_vfs::xDlOpen>::call;
    fullDiskVfs.xDlError = SystemMethod<&sqlite3_vfs::xDlError>::call;
    fullDiskVfs.xDlSym = SystemMethod<&sqlite3_vfs::xDlSym>::call;
    fullDiskVfs.xDlClose = SystemMethod<&sqlite3_vfs::xDlClose>::call;
    fullDiskVfs.xRandomness = SystemMethod<&sqlite3_vfs::xRandomness>::call;
    fullDiskVfs.xSleep = SystemMethod<&sqlite3_vfs::xSleep>::call;
    fullDiskVfs.xCurrentTime = SystemMethod<&sqlite3_vfs::xCurrentTime>::call;
    fullDiskVfs.xGetLastError = SystemMethod<&sqlite3_vfs::xGetLastError>::call;
    fullDiskVfs.xCurrentTimeInt64 = SystemMethod<&sqlite3_vfs::xCurrentTimeInt64>::call;
    if (sqlite3_vfs_register(&fullDiskVfs, 1) != SQLITE_OK)
        throw std::runtime_error("the full disk could not be put in place");
}

FullDisk::~FullDisk()
{
    sqlite3_vfs_unregister(&fullDiskVfs);
    sqlite3_vfs_register(realVfs, 1);
}

int FullDisk::refusedWrites() const
{
    return refused;
}
