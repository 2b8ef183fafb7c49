#include "AppFixture.h"

#include "app/AppActions.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "board/CardColorSelector.h"
#include "model/StoryFile.h"
#include "panes/ModalDialogs.h"
#include "reports/PdfProbe.h"
#include "support/SampleCopy.h"
#include "support/SqlProbe.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class ReportCommands : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        startApplication();
        // The palette window answers the colour a test chose (0: it is closed unanswered).
        ModalDialogs::setRunner([this](QDialog& dialog) {
            auto* selector = qobject_cast<CardColorSelector*>(&dialog);
            if (selector && chosenColour > 0)
                selector->colorButton(chosenColour)->click();
            return dialog.result();
        });
    }

    void TearDown() override
    {
        ModalDialogs::setRunner({});
        AppFixture::TearDown();
    }

    std::int64_t chosenColour = 0;

    MyDocument* open(const QString& path)
    {
        MyDocument* document = app_->documentController().openDocument(path);
        settle();
        return document;
    }

    static QString stored(const QString& path, const QString& column)
    {
        DatabaseConnection connection = StoryFile::open(path);
        return SqlProbe::scalar(connection.get(), QStringLiteral("SELECT %1 FROM Screenplay").arg(column));
    }
};

TEST_F(ReportCommands, EachCardReportOptionWritesOneThenZeroAndItsCheckFollows)
{
    const QString path = makeStory(QStringLiteral("Options.vtrsf"));
    {
        DatabaseConnection connection = StoryFile::open(path);
        // Every option starts off, so that the first choice turns it on.
        SqlProbe::exec(connection.get(),
                       QStringLiteral("UPDATE Screenplay SET A3x5IncludeNotes = 0, A3x5IncludeCharacters = 0, "
                                      "ABCIncludeNotes = 0, ABCIncludeCharacters = 0, R3x5IncludeNotes = 0, "
                                      "R3x5IncludeCharacters = 0, R4x6IncludeNotes = 0, R4x6IncludeCharacters = 0"));
    }
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    AppActions& menus = app_->actions();
    const std::pair<QAction*, const char*> rows[] = {
        {menus.mnuRA3x5IncludeNotes, "A3x5IncludeNotes"},
        {menus.mnuRA3x5IncludeCharacters, "A3x5IncludeCharacters"},
        {menus.mnuRBCIncludeNotes, "ABCIncludeNotes"},
        {menus.mnuRBCIncludeCharacters, "ABCIncludeCharacters"},
        {menus.mnuR3x5IncludeNotes, "R3x5IncludeNotes"},
        {menus.mnuR3x5IncludeCharacters, "R3x5IncludeCharacters"},
        {menus.mnuR4x6IncludeNotes, "R4x6IncludeNotes"},
        {menus.mnuR4x6IncludeCharacters, "R4x6IncludeCharacters"},
    };
    for (const auto& [item, column] : rows) {
        SCOPED_TRACE(column);
        ASSERT_FALSE(item->isChecked());
        item->trigger();
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(stored(path, QString::fromLatin1(column)), QStringLiteral("1"));
        item->trigger();
        EXPECT_FALSE(item->isChecked());
        EXPECT_EQ(stored(path, QString::fromLatin1(column)), QStringLiteral("0"));
        // The other options keep their values.
        for (const auto& [other, otherColumn] : rows) {
            if (other != item) {
                EXPECT_EQ(stored(path, QString::fromLatin1(otherColumn)), QStringLiteral("0")) << otherColumn;
            }
        }
    }
}

TEST_F(ReportCommands, EveryReportCommandPrintsItsReportThroughThePrintPanel)
{
    MyDocument* document = open(makeStory(QStringLiteral("Reports.vtrsf")));
    ASSERT_NE(document, nullptr);
    AppActions& menus = app_->actions();
    chosenColour = 3;
    const std::pair<QAction*, const char*> rows[] = {
        {menus.mnuRLoglines, "LOGLINES"},
        {menus.mnuRBeatSheet, "VANTORA BEAT SHEET"},
        {menus.mnuRCharactersList, "CHARACTERS"},
        {menus.mnuRCharactersBiography, "CHARACTER BIOGRAPHIES"},
        {menus.mnuRLocationsList, "LOCATIONS"},
        {menus.mnuRLocationsDetails, "LOCATION DETAILS"},
        {menus.mnuRSetups, "SET-UPS"},
        {menus.mnuRPayoffs, "PAY-OFFS"},
        {menus.mnuRAttachmentsByColor, "GENERAL NOTES/ATTACHMENTS"},
        {menus.mnuRAttachmentsSelectedColor, "GENERAL NOTES/ATTACHMENTS"},
        {menus.mnuRLitterBox, "LITTER BOX"},
        // The script has no report title: the print job takes the story's.
        {menus.mnuRScript, "Reports"},
    };
    int index = 0;
    for (const auto& [item, title] : rows) {
        SCOPED_TRACE(title);
        const QString path = QDir(home_.path()).filePath(QStringLiteral("report%1.pdf").arg(index++));
        fakes_.printPanels->answers.push_back(path);
        const std::size_t shown = fakes_.printPanels->shown.size();
        item->trigger();
        ASSERT_EQ(fakes_.printPanels->shown.size(), shown + 1);
        EXPECT_EQ(fakes_.printPanels->shown.back().title, QString::fromLatin1(title));
        EXPECT_EQ(fakes_.printPanels->shown.back().paperSize, QSizeF(612, 792));
        const PdfProbe pdf(path);
        ASSERT_TRUE(pdf.ok()) << pdf.error().toStdString();
        EXPECT_TRUE(pdf.pageText(1).contains(QString::fromLatin1(title)));
        EXPECT_TRUE(pdf.pageText(1).contains(QStringLiteral("Reports")));
    }
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}

TEST_F(ReportCommands, CancellingPrintsNothingAndAFailedWriteIsReported)
{
    MyDocument* document = open(makeStory(QStringLiteral("Cancel.vtrsf")));
    ASSERT_NE(document, nullptr);
    AppActions& menus = app_->actions();
    fakes_.printPanels->answers.push_back(std::nullopt);
    menus.mnuRLoglines->trigger();
    EXPECT_EQ(fakes_.printPanels->shown.size(), 1u);
    EXPECT_TRUE(fakes_.alerts->shown.empty());

    const QString unwritable = QDir(home_.path()).filePath(QStringLiteral("no/such/folder/loglines.pdf"));
    fakes_.printPanels->answers.push_back(unwritable);
    menus.mnuRLoglines->trigger();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown.front().title, QStringLiteral("LOGLINES"));
    EXPECT_TRUE(fakes_.alerts->shown.front().message.contains(QStringLiteral("could not be written")));
    EXPECT_FALSE(QFile::exists(unwritable));

    // Closing the palette window without a colour prints nothing.
    chosenColour = 0;
    menus.mnuRAttachmentsSelectedColor->trigger();
    EXPECT_EQ(fakes_.printPanels->shown.size(), 2u);
}

TEST_F(ReportCommands, SceneCardReportsOfABoardWithoutCardsSaySoAndPrintNothing)
{
    MyDocument* document = open(makeStory(QStringLiteral("Empty.vtrsf")));
    ASSERT_NE(document, nullptr);
    AppActions& menus = app_->actions();
    for (QAction* item : {menus.mnuRSCSummary, menus.mnuRSCDetailed, menus.mnuRSCI3x5, menus.mnuRSCI4x6,
                          menus.mnuRSCA3x5, menus.mnuRSCABusinessCards}) {
        SCOPED_TRACE(item->objectName().toStdString());
        fakes_.alerts->shown.clear();
        item->trigger();
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown.front().title, QStringLiteral("Scene Cards"));
        EXPECT_EQ(fakes_.alerts->shown.front().message,
                  QStringLiteral("There are no scene cards to include in this report."));
    }
    EXPECT_TRUE(fakes_.printPanels->shown.empty());
}

TEST_F(ReportCommands, ALongReportShowsItsProgressAndCancelStopsIt)
{
    // The Kessler sample with its board cards copied, and a progress window that shows at once
    // rather than after half a second.
    const SampleCopy sample(QStringLiteral("Sample - Kessler Pass.vtrsf"));
    sample.exec(QStringLiteral("CREATE TABLE Copied AS SELECT * FROM SceneCard WHERE OnBoard = 1"));
    sample.exec(QStringLiteral("UPDATE Copied SET SceneCardID = NULL"));
    for (int copy = 0; copy < 3; ++copy)
        sample.exec(QStringLiteral("INSERT INTO SceneCard SELECT * FROM Copied"));
    sample.exec(QStringLiteral("DROP TABLE Copied"));
    MyDocument::setReportProgressDelay(0);
    MyDocument* document = open(sample.path());
    ASSERT_NE(document, nullptr);

    // Cancel is pressed as soon as the progress window shows.
    bool seen = false;
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, [&seen] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<QProgressDialog*>(widget);
            if (!progress)
                progress = widget->findChild<QProgressDialog*>(QStringLiteral("reportProgress"));
            if (progress && progress->isVisible() && !seen) {
                seen = true;
                EXPECT_TRUE(progress->labelText().startsWith(QStringLiteral("Preparing the report")));
                auto* cancel = progress->findChild<QPushButton*>();
                ASSERT_NE(cancel, nullptr);
                QTest::mouseClick(cancel, Qt::LeftButton);
            }
        }
    });
    watcher.start();
    app_->actions().mnuRSCDetailed->trigger();
    watcher.stop();
    MyDocument::setReportProgressDelay(500);
    EXPECT_TRUE(seen);
    // Stopped while it was laid out: no print panel, no alert.
    EXPECT_TRUE(fakes_.printPanels->shown.empty());
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}
