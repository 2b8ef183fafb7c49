#include "platform/QtPlatform.h"
#include "support/PanelDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

QStringList buttonTexts(const QMessageBox* box)
{
    QStringList texts;
    for (const QAbstractButton* button : box->buttons())
        texts.append(button->text());
    texts.sort();
    return texts;
}

AlertRequest masterFileMissing()
{
    AlertRequest request;
    request.title = QStringLiteral("Vantora Master File");
    request.message = QStringLiteral("Unable to locate the Vantora master file which should be located at <b>x</b>.\n"
                                     "If you have moved the file and would like to select it,click 'Select File.'");
    request.defaultButton = QStringLiteral("Try Again");
    request.alternateButton = QStringLiteral("Select File");
    request.otherButton = QStringLiteral("Create New File");
    return request;
}

AlertRequest deleteSceneCard()
{
    AlertRequest request;
    request.title = QStringLiteral("Delete Scene Card");
    request.message = QStringLiteral("Are you sure you want to delete this scene card?");
    request.defaultButton = QStringLiteral("No");
    request.otherButton = QStringLiteral("Yes");
    return request;
}

class QtAlertPanelsTest : public ::testing::Test
{
protected:
    PanelDriver driver;
    QtAlertPanels alerts;
};

} // namespace

TEST_F(QtAlertPanelsTest, EachButtonAnswersItsOwnValue)
{
    driver.clickAlertButton(QStringLiteral("Try Again"));
    EXPECT_EQ(alerts.runAlert(masterFileMissing()), AlertDefaultReturn);
    driver.clickAlertButton(QStringLiteral("Select File"));
    EXPECT_EQ(alerts.runAlert(masterFileMissing()), AlertAlternateReturn);
    driver.clickAlertButton(QStringLiteral("Create New File"));
    EXPECT_EQ(alerts.runAlert(masterFileMissing()), AlertOtherReturn);
    driver.clickAlertButton(QStringLiteral("Yes"));
    EXPECT_EQ(alerts.runAlert(deleteSceneCard()), AlertOtherReturn);
}

TEST_F(QtAlertPanelsTest, ThePanelShowsTitleMessageAndButtonsAsAsked)
{
    driver.whenShown<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Vantora Master File"));
        EXPECT_EQ(box->text(), masterFileMissing().message);
        // A message is never taken for markup.
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(buttonTexts(box), (QStringList{QStringLiteral("Create New File"), QStringLiteral("Select File"),
                                                 QStringLiteral("Try Again")}));
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Try Again"));
        box->defaultButton()->click();
    });
    EXPECT_EQ(alerts.runAlert(masterFileMissing()), AlertDefaultReturn);

    AlertRequest plain;
    plain.title = QStringLiteral("Backup");
    plain.message = QStringLiteral("Backup Saved");
    plain.defaultButton.clear();
    driver.whenShown<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(buttonTexts(box), QStringList{QStringLiteral("OK")});
        box->buttons().constFirst()->click();
    });
    EXPECT_EQ(alerts.runAlert(plain), AlertDefaultReturn);
}

TEST_F(QtAlertPanelsTest, NeitherEscapeNorASpaceConfirms)
{
    const auto pressEscape = [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); };
    driver.whenShown<QMessageBox>(pressEscape);
    EXPECT_EQ(alerts.runAlert(masterFileMissing()), AlertAlternateReturn);
    driver.whenShown<QMessageBox>(pressEscape);
    EXPECT_EQ(alerts.runAlert(deleteSceneCard()), AlertDefaultReturn);
    // "No" as the default and "Yes" as the alternate: Escape still answers "No".
    AlertRequest question;
    question.title = QStringLiteral("Delete Logline");
    question.message = QStringLiteral("Delete this logline?");
    question.defaultButton = QStringLiteral("No");
    question.alternateButton = QStringLiteral("Yes");
    driver.whenShown<QMessageBox>(pressEscape);
    EXPECT_EQ(alerts.runAlert(question), AlertDefaultReturn);
    // A space typed on the default button leaves the question open for Escape to answer.
    question.defaultButton = QStringLiteral("Yes");
    question.alternateButton = QStringLiteral("No");
    driver.whenShown<QMessageBox>([](QMessageBox* box) {
        QTest::keyClick(box->defaultButton(), Qt::Key_Space);
        if (box->isVisible())
            QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(alerts.runAlert(question), AlertAlternateReturn);
    // Closing the panel some other way counts as Escape.
    driver.whenShown<QMessageBox>([](QMessageBox* box) { box->close(); });
    EXPECT_EQ(alerts.runAlert(masterFileMissing()), AlertAlternateReturn);
}

TEST_F(QtAlertPanelsTest, TheAlertBelongsToTheActiveWindow)
{
    QWidget window;
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    driver.whenShown<QMessageBox>([&window](QMessageBox* box) {
        EXPECT_EQ(box->parentWidget(), &window);
        box->defaultButton()->click();
    });
    EXPECT_EQ(alerts.runAlert(deleteSceneCard()), AlertDefaultReturn);
}

namespace {

// File panels driven as widgets, not as the desktop's own dialogs.
class QtFilePanelsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
    }
    void TearDown() override { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false); }

    SavePanelRequest newVersion() const
    {
        SavePanelRequest request;
        request.title = QStringLiteral("Start New Version");
        request.message = QStringLiteral("Name the new version.");
        request.proposedName = QStringLiteral("Awesome Screenplay");
        request.directory = folder.path();
        request.allowedExtensions = {QStringLiteral("vtrsf")};
        return request;
    }

    void touch(const QString& name) const
    {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir folder;
    PanelDriver driver;
    QtFilePanels panels;
};

// Types `name` into the panel's name field and confirms.
std::function<void(QFileDialog*)> typeAndAccept(const QString& name)
{
    return [name](QFileDialog* dialog) {
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!field) {
            ADD_FAILURE() << "the panel has no name field";
            dialog->reject();
            return;
        }
        field->setText(name);
        // The panel's own accept, as the Save or Open button runs it.
        static_cast<QDialog*>(dialog)->accept();
    };
}

} // namespace

TEST_F(QtFilePanelsTest, SavePanelStartsWithTheProposedNameAndAddsTheExtension)
{
    driver.whenShown<QFileDialog>([this](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Start New Version — Name the new version."));
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(folder.path()).canonicalPath());
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("*.vtrsf")});
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->text(), QStringLiteral("Awesome Screenplay"));
        typeAndAccept(QStringLiteral("My Story"))(dialog);
    });
    const std::optional<QString> chosen = panels.runSavePanel(newVersion());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QFileInfo(*chosen).fileName(), QStringLiteral("My Story.vtrsf"));
    EXPECT_EQ(QFileInfo(*chosen).dir().canonicalPath(), QDir(folder.path()).canonicalPath());

    driver.whenShown<QFileDialog>(typeAndAccept(QStringLiteral("Typed.vtrsf")));
    EXPECT_EQ(QFileInfo(panels.runSavePanel(newVersion()).value_or(QString())).fileName(),
              QStringLiteral("Typed.vtrsf"));
}

TEST_F(QtFilePanelsTest, CancellingASavePanelAnswersNothing)
{
    driver.whenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(panels.runSavePanel(newVersion()), std::nullopt);
}

TEST_F(QtFilePanelsTest, ReplacingAnExistingFileIsConfirmedOnTheFinalName)
{
    touch(QStringLiteral("My Story.vtrsf"));

    // The typed name has no extension, so only the final name exists already.
    driver.whenShown<QFileDialog>([this](QFileDialog* dialog) {
        driver.clickAlertButton(QStringLiteral("Replace"));
        typeAndAccept(QStringLiteral("My Story"))(dialog);
    });
    EXPECT_EQ(QFileInfo(panels.runSavePanel(newVersion()).value_or(QString())).fileName(),
              QStringLiteral("My Story.vtrsf"));

    // Declining goes back to the panel with the name kept; cancelling it then answers nothing.
    driver.whenShown<QFileDialog>([this](QFileDialog* dialog) {
        driver.clickAlertButton(QStringLiteral("Cancel"));
        driver.whenShown<QFileDialog>([](QFileDialog* again) {
            auto* field = again->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            EXPECT_EQ(field ? field->text() : QString(), QStringLiteral("My Story.vtrsf"));
            again->reject();
        });
        typeAndAccept(QStringLiteral("My Story"))(dialog);
    });
    EXPECT_EQ(panels.runSavePanel(newVersion()), std::nullopt);
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("My Story.vtrsf"))));
}

TEST_F(QtFilePanelsTest, APathTheRequestRefusesEndsThePanelBeforeAnyQuestion)
{
    // The check sees the final name; a refused path, new or existing, is never answered nor
    // offered for replacing (a question about replacing would be a stray panel).
    touch(QStringLiteral("Open Story.vtrsf"));
    for (const char* typed : {"Open Story", "New Story"}) {
        SCOPED_TRACE(typed);
        QStringList checked;
        SavePanelRequest request = newVersion();
        request.refuses = [&checked](const QString& path) {
            checked.append(QFileInfo(path).fileName());
            return true;
        };
        driver.whenShown<QFileDialog>(typeAndAccept(QString::fromUtf8(typed)));
        EXPECT_EQ(panels.runSavePanel(request), std::nullopt);
        EXPECT_EQ(checked, QStringList{QString::fromUtf8(typed) + QStringLiteral(".vtrsf")});
    }
    // A path the check lets through is answered.
    SavePanelRequest request = newVersion();
    request.refuses = [](const QString&) { return false; };
    driver.whenShown<QFileDialog>(typeAndAccept(QStringLiteral("New Story")));
    EXPECT_EQ(QFileInfo(panels.runSavePanel(request).value_or(QString())).fileName(), QStringLiteral("New Story.vtrsf"));
}

TEST_F(QtFilePanelsTest, OpenPanelChoosesAFileOfTheAllowedKind)
{
    touch(QStringLiteral("VTRMasterFile.vtrmf"));
    OpenPanelRequest request;
    request.title = QStringLiteral("Select Your Master File: VTRMasterFile.vtrmf");
    request.directory = folder.path();
    request.allowedExtensions = {QStringLiteral("vtrmf")};

    driver.whenShown<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select Your Master File: VTRMasterFile.vtrmf"));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("*.vtrmf")});
        EXPECT_TRUE(dialog->testOption(QFileDialog::ReadOnly));
        typeAndAccept(QStringLiteral("VTRMasterFile.vtrmf"))(dialog);
    });
    const std::optional<QString> chosen = panels.runOpenPanel(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QFileInfo(*chosen).canonicalFilePath(),
              QFileInfo(folder.filePath(QStringLiteral("VTRMasterFile.vtrmf"))).canonicalFilePath());

    driver.whenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(panels.runOpenPanel(request), std::nullopt);
}

TEST_F(QtFilePanelsTest, OpenPanelForFoldersChoosesOnlyFolders)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("Backups")));
    OpenPanelRequest request;
    request.title = QStringLiteral("Vantora Backup Files Location");
    request.message = QStringLiteral("Select the location for your backup files.");
    request.directory = folder.path();
    request.chooseDirectories = true;
    request.canCreateDirectories = true;
    request.allowedExtensions = {QStringLiteral("vtrsf")};

    driver.whenShown<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(),
                  QStringLiteral("Vantora Backup Files Location — Select the location for your backup files."));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
        EXPECT_FALSE(dialog->testOption(QFileDialog::ReadOnly));
        typeAndAccept(QStringLiteral("Backups"))(dialog);
    });
    const std::optional<QString> chosen = panels.runOpenPanel(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QFileInfo(*chosen).canonicalFilePath(),
              QFileInfo(folder.filePath(QStringLiteral("Backups"))).canonicalFilePath());
}

TEST(QtWorkspaceTest, AMissingFileOrAnEmptyAddressOpensNothing)
{
    QTemporaryDir folder;
    QtWorkspace workspace;
    EXPECT_FALSE(workspace.openFile(folder.filePath(QStringLiteral("no such guide.pdf"))));
    EXPECT_FALSE(workspace.openFile(QString()));
    EXPECT_FALSE(workspace.openUrl(QUrl()));
}
