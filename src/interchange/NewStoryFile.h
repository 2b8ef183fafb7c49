#pragma once

#include <QString>

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
    // Puts the finished file at the chosen path in one step, replacing a file there. Answers
    // false, removing the unfinished file, when it cannot.
    bool commit();

private:
    void discard();

    QString targetPath_;
    QString workingPath_;
};
