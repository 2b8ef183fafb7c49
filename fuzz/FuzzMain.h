#pragma once

// What every fuzz target of this folder shares: a quiet application object made once, and one
// input handed to a reader as the program hands it bytes from outside.
#include <QByteArray>
#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace FuzzMain {

inline void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// Runs the reader on the input; a broken rule stops the fuzzer as a crash would, keeping the input.
template <typename Reader>
int runOne(const std::uint8_t* data, std::size_t size, Reader reader)
{
    static int argc = 1;
    static char name[] = "vantora_fuzz";
    static char* argv[] = {name, nullptr};
    static const QCoreApplication* application = [] {
        qInstallMessageHandler(quiet);
        return new QCoreApplication(argc, argv);
    }();
    (void)application;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (!reader(bytes))
        std::abort();
    return 0;
}

} // namespace FuzzMain
