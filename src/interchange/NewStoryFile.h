#pragma once

#include <QString>

#include <functional>

class Screenplaydb;

// A new story file made from the story template for an import, built under a temporary name
// in the chosen folder and put in place only when it is finished. Whatever stood at the chosen
// path stays untouched until then; an unfinished file is removed when the object goes.
class NewStoryFile
{
public:
    explicit NewStoryFile(QString targetPath);
    ~NewStoryFile();
    NewStoryFile(const NewStoryFile&) = delete;
    NewStoryFile& operator=(const NewStoryFile&) = delete;

    // Copies the template under a temporary name and fills in the new-story defaults from the
    // master file. Answers false when either fails; nothing is left behind then.
    bool create(const QString& masterPath);
    // Where the file is built until commit(); empty before create().
    const QString& workingPath() const { return workingPath_; }
    const QString& targetPath() const { return targetPath_; }
    // What went wrong while the story was written into the working file.
    enum class WriteFailure { None, Open, Write };
    // Opens the working file, loads its story, runs `write` on it in one transaction and
    // closes the file again. A failure leaves the file without any of the writes and puts
    // the database's message in `message`.
    WriteFailure writeStory(const std::function<void(Screenplaydb&)>& write, QString* message);
    // Puts the finished file at the chosen path in one step, replacing a file there. Answers
    // false, removing the unfinished file, when it cannot.
    bool commit();

private:
    void discard();

    QString targetPath_;
    QString workingPath_;
};
