#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class AppController;
class MyDocument;
class QMenu;

// Keeps the open stories, one document and one window each, and the list of recent files.
class DocumentController : public QObject
{
    Q_OBJECT

public:
    explicit DocumentController(AppController& application);
    ~DocumentController() override;

    // A new story: an untitled window that asks where to make the file.
    MyDocument* newDocument();
    // Opens a story file, or brings its window forward when it is open already. A file that
    // cannot be opened as a story is reported and opens no window; answers nothing then.
    MyDocument* openDocument(const QString& path);
    // Asks for a story file and opens it.
    void openDocumentWithPanel();
    // The document with that file open, or nothing.
    MyDocument* documentForPath(const QString& path) const;
    // Whether a file at `path` would replace the file of an open story (isSameFilePath: the same
    // file, by any path).
    bool isOpenStoryFile(const QString& path) const;
    // The same question for a command about to make a file at `path`: when it would replace an
    // open story's file, the user is told so in an alert titled `title`, and the answer is true.
    bool refusedAsOpenStoryFile(const QString& path, const QString& title) const;
    // That refusal as a save panel's check (SavePanelRequest::refuses), so that the panel never
    // asks whether to replace an open story's file.
    std::function<bool(const QString& path)> refusingOpenStoryFiles(const QString& title) const;
    // The document whose window the user worked in last.
    MyDocument* currentDocument() const;
    std::size_t documentCount() const { return documents_.size(); }
    const std::vector<std::unique_ptr<MyDocument>>& documents() const { return documents_; }
    // Closes every story window (each writes its last edit first).
    void closeAllDocuments();

    QStringList recentDocuments() const;
    void noteRecentDocument(const QString& path);
    void clearRecentDocuments();
    // Rebuilds the Open Recent menu from the recent list.
    void refreshOpenRecentMenu(QMenu* menu);

signals:
    void documentCountChanged(std::size_t count);

private:
    MyDocument* adopt(std::unique_ptr<MyDocument> document);
    // Makes the document current, and its menu items shown, whenever its window becomes active.
    void followActivation(MyDocument* document);
    void documentClosed(MyDocument* document);
    void scheduleMenuRefresh();

    AppController& application_;
    std::vector<std::unique_ptr<MyDocument>> documents_;
    QPointer<MyDocument> current_;
};
