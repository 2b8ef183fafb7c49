#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QLocalServer;
class QLocalSocket;

// One program per user: the first start listens on a local socket in the user's runtime
// folder; a later start hands the story files it was given to that program and ends, so
// that every story window lives in one program. Nothing leaves the machine.
//
// A start sends each path as one line, an encoded "file:" address (so a path may hold any
// character), then an empty line; the listening program answers "OK" once it has the paths.
class InstanceChannel : public QObject
{
    Q_OBJECT

public:
    // The socket in the given folder, and in the user's runtime folder.
    static QString socketPathIn(const QString& folder);
    static QString defaultSocketPath();

    enum class HandOver {
        Delivered, // a running program took the paths
        NoProgram, // nobody listens: this start is the first
        NoAnswer   // something listens but did not take the paths in time
    };
    // Hands the paths to the program listening on the socket; blocks for at most `timeoutMs`.
    static HandOver handOver(const QString& socketPath, const QStringList& paths, int timeoutMs);

    explicit InstanceChannel(QString socketPath, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Starts listening. A socket left behind by a program that ended without removing it is
    // replaced; one that a running program still answers on is not. Answers whether it listens.
    bool listen();

signals:
    // A later start handed over these paths (possibly none: it was started without files).
    void pathsReceived(const QStringList& paths);

private:
    void accept();
    void read(QLocalSocket* socket);

    QString socketPath_;
    std::unique_ptr<QLocalServer> server_;
};

// The story files named on a command line (the program's name first): every argument that
// is not an option, made absolute against `workingFolder`; "file:" addresses become local
// paths and other addresses are left out; after "--" every argument counts as a file.
QStringList storyPathsFromArguments(const QStringList& arguments, const QString& workingFolder);
