#include "MyDocument.h"

#include "AppActions.h"
#include "AppController.h"
#include "model/Screenplaydb.h"
#include "platform/Platform.h"
#include "reports/ListViewCaption.h"
#include "reports/ReportPainter.h"
#include "reports/ReportProgress.h"
#include "board/CardColorSelector.h"
#include "panes/ModalDialogs.h"
#include "reports/CardSheetReports.h"
#include "reports/IndexCardReports.h"
#include "reports/SceneCardReports.h"
#include "reports/StoryReport.h"
#include "reports/StoryReports.h"

#include <QAction>
#include <QProgressDialog>

#include <algorithm>

namespace {

// How long a report may take before its progress window shows, in milliseconds.
int& reportProgressDelay()
{
    static int delay = 500;
    return delay;
}

// A card-report option: its menu item and the story flag it shows.
struct CardReportOption {
    QAction* AppActions::*item;
    void (Screenplaydb::*setFlag)(const std::int64_t&);
};

const std::array<CardReportOption, 8> kCardReportOptions{{
    {&AppActions::mnuRA3x5IncludeNotes, &Screenplaydb::setA3x5IncludeNotes},
    {&AppActions::mnuRA3x5IncludeCharacters, &Screenplaydb::setA3x5IncludeCharacters},
    {&AppActions::mnuRBCIncludeNotes, &Screenplaydb::setABCIncludeNotes},
    {&AppActions::mnuRBCIncludeCharacters, &Screenplaydb::setABCIncludeCharacters},
    {&AppActions::mnuR3x5IncludeNotes, &Screenplaydb::setR3x5IncludeNotes},
    {&AppActions::mnuR3x5IncludeCharacters, &Screenplaydb::setR3x5IncludeCharacters},
    {&AppActions::mnuR4x6IncludeNotes, &Screenplaydb::setR4x6IncludeNotes},
    {&AppActions::mnuR4x6IncludeCharacters, &Screenplaydb::setR4x6IncludeCharacters},
}};

} // namespace

void connectReportCommands(AppController& application)
{
    AppActions& menus = application.actions();
    using Builder = std::unique_ptr<StoryReport> (*)(Screenplaydb&);
    const std::pair<QAction*, Builder> reports[] = {
        {menus.mnuRLoglines, &StoryReports::loglines},
        {menus.mnuRBeatSheet, &StoryReports::beatSheet},
        {menus.mnuRCharactersList, &StoryReports::charactersList},
        {menus.mnuRCharactersBiography, &StoryReports::charactersBiography},
        {menus.mnuRLocationsList, &StoryReports::locationsList},
        {menus.mnuRLocationsDetails, &StoryReports::locationsDetails},
        {menus.mnuRSetups, &StoryReports::setups},
        {menus.mnuRPayoffs, &StoryReports::payoffs},
        {menus.mnuRLitterBox, &SceneCardReports::litterBox},
        {menus.mnuRScript, &SceneCardReports::script},
    };
    for (const auto& [item, builder] : reports)
        application.routeToCurrentDocument(item,
                                           [build = builder](MyDocument& document) { document.printReport(build); });
    using CardsBuilder = std::function<std::unique_ptr<PrintedReport>(Screenplaydb&)>;
    // Each needs a card on the board; a list view whose filters leave no card prints the lists'
    // caption and heading alone, and the card stocks one empty sheet.
    const std::pair<QAction*, CardsBuilder> cardReports[] = {
        {menus.mnuRSCSummary, &SceneCardReports::summary},
        {menus.mnuRSCDetailed, &SceneCardReports::details},
        {menus.mnuRSCI3x5, &IndexCardReports::threeByFive},
        {menus.mnuRSCI4x6, &IndexCardReports::fourBySix},
        {menus.mnuRSCA3x5, &CardSheetReports::avery3x5},
        {menus.mnuRSCABusinessCards, &CardSheetReports::businessCards},
    };
    for (const auto& [item, builder] : cardReports)
        application.routeToCurrentDocument(
            item, [build = builder](MyDocument& document) { document.printSceneCardReport(build); });
    application.routeToCurrentDocument(menus.mnuRAttachmentsByColor,
                                       [](MyDocument& document) { document.attachmentsReportForSelectedColor(0); });
    application.routeToCurrentDocument(menus.mnuRAttachmentsSelectedColor,
                                       [](MyDocument& document) { document.reportAttachmentsSelectedColor(); });
    for (const CardReportOption& option : kCardReportOptions) {
        QAction* item = menus.*option.item;
        application.routeToCurrentDocument(item, [item](MyDocument& document) {
            // Choosing an item toggles its check mark; the document alone decides it.
            item->setChecked(!item->isChecked());
            document.toggleCardReportIncludeFlag(item);
        });
    }
}

void MyDocument::toggleCardReportIncludeFlag(QAction* item)
{
    if (!currentScreenplay_)
        return;
    commitEditing();
    const AppActions& menus = application_.actions();
    for (const CardReportOption& option : kCardReportOptions) {
        if (menus.*option.item != item)
            continue;
        const std::int64_t value = item->isChecked() ? 0 : 1;
        (currentScreenplay_.get()->*option.setFlag)(value);
        currentScreenplay_->save();
        item->setChecked(value != 0);
        return;
    }
}

QString MyDocument::listViewFiltering() const
{
    return currentScreenplay_ ? ::listViewFiltering(*currentScreenplay_) : QString();
}

void MyDocument::setReportProgressDelay(int milliseconds)
{
    reportProgressDelay() = milliseconds;
}

void MyDocument::printReport(const std::function<std::unique_ptr<PrintedReport>(Screenplaydb&)>& build)
{
    if (!currentScreenplay_)
        return;
    commitEditing();
    // A report that takes a while shows how far it has come, with a Cancel button, while it is
    // laid out and again while its pages are written.
    QProgressDialog progress(QStringLiteral("Preparing the report\u2026"), QStringLiteral("Cancel"), 0, 1, window());
    progress.setObjectName(QStringLiteral("reportProgress"));
    progress.setWindowTitle(QStringLiteral("Report"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(reportProgressDelay());
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    bool writing = false;
    const ReportProgress::Scope scope([&](bool pages, std::int64_t done, std::int64_t total) {
        if (pages != writing || done == 0) {
            writing = pages;
            progress.setLabelText(pages ? QStringLiteral("Writing the report\u2026")
                                        : QStringLiteral("Preparing the report\u2026"));
            progress.setMaximum(int(std::max<std::int64_t>(total, 1)));
            progress.setValue(0);
        }
        progress.setValue(int(std::min(done, total)));
        return !progress.wasCanceled();
    });
    const std::unique_ptr<PrintedReport> report = build(*currentScreenplay_);
    progress.reset();
    if (!report || scope.stopped())
        return;
    const QString title = report->title().isEmpty() ? currentScreenplay_->screenplayTitle() : report->title();
    const PrintResult result = Platform::printPanels().runPrintPanel(ReportPainter::printJob(report->pages(), title));
    progress.reset();
    // A report stopped while its pages were written needs no alert: the writer stopped it.
    if (result.outcome == PrintResult::Failed && !scope.stopped()) {
        AlertRequest alert;
        alert.title = title;
        alert.message = result.message;
        Platform::alerts().runAlert(alert);
    }
}

void MyDocument::printSceneCardReport(const std::function<std::unique_ptr<PrintedReport>(Screenplaydb&)>& build)
{
    if (!currentScreenplay_)
        return;
    commitEditing();
    if (currentScreenplay_->sceneCards().empty()) {
        AlertRequest alert;
        alert.title = QStringLiteral("Scene Cards");
        alert.message = QStringLiteral("There are no scene cards to include in this report.");
        Platform::alerts().runAlert(alert);
        return;
    }
    printReport(build);
}

void MyDocument::attachmentsReportForSelectedColor(std::int64_t colour)
{
    printReport([colour](Screenplaydb& story) {
        return StoryReports::generalNotes(story, colour, &MyDocument::cardColorForColorID);
    });
}

void MyDocument::reportAttachmentsSelectedColor()
{
    if (!currentScreenplay_)
        return;
    commitEditing();
    std::int64_t colour = 0;
    {
        CardColorSelector selector(window_);
        ModalDialogs::paintBackground(selector, standardBackgroundColor_);
        selector.runModal();
        colour = selector.selectedColor();
    }
    if (colour != 0)
        attachmentsReportForSelectedColor(colour);
}
