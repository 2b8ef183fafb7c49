#pragma once

#include <QDir>
#include <QString>

#include <cstdio>
#include <optional>

// The one argument of a build tool that writes into a folder: the folder, made when missing.
// Nothing, with `exitCode` set, when the argument is missing or the folder cannot be made.
inline std::optional<QString> outputFolderArgument(int argc, char** argv, int& exitCode)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output-folder>\n", argv[0]);
        exitCode = 2;
        return std::nullopt;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        exitCode = 1;
        return std::nullopt;
    }
    return folder;
}
