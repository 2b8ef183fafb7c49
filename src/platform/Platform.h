#pragma once

#include "model/DateUtilities.h"
#include "platform/UrlLoading.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QPageLayout;
class QPagedPaintDevice;
class QSettings;
class QWidget;

// The desktop services the application relies on, behind small interfaces of our own so that
// every window and pane can be driven headlessly: tests install scripted fakes
// (FakePlatform.h) in place of the Qt implementations.

// --- Alert panels ------------------------------------------------------------------------------

// A modal alert with a title, a message and up to three buttons.
struct AlertRequest {
    QString title;
    QString message;
    QString defaultButton = QStringLiteral("OK");
    QString alternateButton; // empty: no such button
    QString otherButton;     // empty: no such button
};

// What an alert answers: the default button 1, the alternate button 0, the other button -1.
enum AlertAnswer : int { AlertDefaultReturn = 1, AlertAlternateReturn = 0, AlertOtherReturn = -1 };

class AlertPanels
{
public:
    virtual ~AlertPanels() = default;
    virtual int runAlert(const AlertRequest& request) = 0;
};

// Shows an alert with the one button "OK".
void alertWithOK(const QString& title, const QString& message);

// --- Open, save and folder panels --------------------------------------------------------------

struct SavePanelRequest {
    QString title;
    QString message;
    QString proposedName;
    QString directory;
    // Extensions without the dot, e.g. {"vtrsf"}; the first one is appended to a chosen name
    // that has none of them.
    QStringList allowedExtensions;
    // Checked on the chosen path, extension added, before the panel asks whether to replace a
    // file there: true refuses the path and ends the panel as cancelled (the check tells the
    // user why), so a file that may not be replaced is never offered for replacing.
    std::function<bool(const QString& path)> refuses;
};

struct OpenPanelRequest {
    QString title;
    QString message;
    QString directory;
    QStringList allowedExtensions; // empty: any file
    bool chooseDirectories = false; // only folders can be chosen
    bool canCreateDirectories = false;
};

class FilePanels
{
public:
    virtual ~FilePanels() = default;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<QString> runSavePanel(const SavePanelRequest& request) = 0;
    virtual std::optional<QString> runOpenPanel(const OpenPanelRequest& request) = 0;
};

// Appends the first allowed extension to a path that ends in none of them.
QString withAllowedExtension(const QString& path, const QStringList& allowedExtensions);
// Whether two paths name one file: the same canonical path when both files exist, else the
// same absolute path. Letter case counts where the system's file names tell it apart (Linux).
bool isSameFilePath(const QString& first, const QString& second);

// --- Other applications ------------------------------------------------------------------------

class Workspace
{
public:
    virtual ~Workspace() = default;
    // Opens a file in the application the system uses for it; false, without a word to
    // anyone, when the desktop has no program for it (the caller tells the user or shows the
    // file itself).
    virtual bool openFile(const QString& path) = 0;
    // Opens an address in the user's browser; false when there is none.
    virtual bool openUrl(const QUrl& url) = 0;
    // A folder of this run of the program that only the user may enter, for the copies of
    // stored files handed to other applications; empty when none can be made.
    virtual QString privateFolder() = 0;
};

// --- Synchronous page fetch --------------------------------------------------------------------

// A GET for callers that want a page or nothing (the Qt one loads through a QtUrlLoader).
class PageFetcher
{
public:
    virtual ~PageFetcher() = default;
    // The page's bytes, or nothing when it cannot be read within the time-out or its answer
    // is not a success.
    virtual std::optional<QByteArray> fetch(const QUrl& url, std::chrono::milliseconds timeout) = 0;
};

// --- Printing ----------------------------------------------------------------------------------

// A paginated document ready to print: its pages, all of one paper size in points, painted on
// demand onto a device whose page layout (that paper, no margins) is already set.
struct PrintJob {
    QString title;
    QSizeF paperSize;
    int pageCount = 1;
    // Paints pages first to last (counted from 1); false when the device refused the painting.
    std::function<bool(QPagedPaintDevice& device, int firstPage, int lastPage)> paint;
};

struct PrintResult {
    enum Outcome { Printed, Cancelled, Failed };
    Outcome outcome = Cancelled;
    QString message; // why it failed, in plain words
};

class PrintPanels
{
public:
    virtual ~PrintPanels() = default;
    // Shows the print panel for the job and prints it where and as the user chooses.
    virtual PrintResult runPrintPanel(const PrintJob& job) = 0;
};

// The page layout of a paper of that size in points, portrait or landscape as its sides say,
// without margins.
QPageLayout pageLayoutForPaper(QSizeF paperSize);
// The document name the print panel is given for a job of that title; the panel makes the name
// of the PDF file it offers from it. Characters that a file name cannot hold on one system or
// another (/ \ : * ? " < > | and control characters) become "-", so "A/B" is offered as "A-B".
QString printDocumentName(const QString& title);
// Writes pages first to last of the job as a PDF file. The file is replaced only when every
// page was painted and written: a failure leaves what was there before.
PrintResult writePdfFile(const PrintJob& job, const QString& path, int firstPage, int lastPage);

// --- User defaults -----------------------------------------------------------------------------

// The application's settings, kept by QSettings under the keys the program names ("VTR...").
// Registered defaults answer for keys that were never written.
class UserDefaults
{
public:
    // Settings in the user's configuration (organisation and application names of the app).
    UserDefaults();
    // Settings in an INI file of its own (tests).
    explicit UserDefaults(const QString& iniPath);
    ~UserDefaults();

    void registerDefaults(const QVariantMap& defaults);
    bool boolForKey(const QString& key) const;
    QString stringForKey(const QString& key) const;
    QStringList stringListForKey(const QString& key) const;
    QVariant valueForKey(const QString& key) const;
    void setBool(const QString& key, bool value);
    void setString(const QString& key, const QString& value);
    void setStringList(const QString& key, const QStringList& value);
    void removeKey(const QString& key);
    // Writes the settings to disk now.
    void synchronize();

private:
    std::unique_ptr<QSettings> settings_;
    QVariantMap defaults_;
};

// --- Clock and random numbers ------------------------------------------------------------------

class Clock
{
public:
    virtual ~Clock() = default;
    virtual DateUtilities::DateTime now() const = 0;
};

class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // A whole number from 0 to max - 1 (0 when max is 0 or less).
    virtual long randomNumberWithMax(long max) = 0;
};

// --- Service access ----------------------------------------------------------------------------

// The services in use. The application installs the Qt implementations at start-up; tests
// install fakes. Installed services live until replaced or the process ends. A getter used
// before anything was installed (or after a null service was installed) installs the Qt
// implementation, or default UserDefaults, first.
class Platform
{
public:
    static AlertPanels& alerts();
    static FilePanels& filePanels();
    static Workspace& workspace();
    static PageFetcher& pageFetcher();
    static UrlLoader& urlLoader();
    static UserDefaults& userDefaults();
    static Clock& clock();
    static RandomSource& random();
    static PrintPanels& printPanels();

    static void setAlerts(std::unique_ptr<AlertPanels> service);
    static void setFilePanels(std::unique_ptr<FilePanels> service);
    static void setWorkspace(std::unique_ptr<Workspace> service);
    static void setPageFetcher(std::unique_ptr<PageFetcher> service);
    static void setUrlLoader(std::unique_ptr<UrlLoader> service);
    static void setUserDefaults(std::unique_ptr<UserDefaults> service);
    static void setClock(std::unique_ptr<Clock> service);
    static void setRandom(std::unique_ptr<RandomSource> service);
    static void setPrintPanels(std::unique_ptr<PrintPanels> service);

    // Installs the Qt implementations of every service.
    static void installQtServices();
};
