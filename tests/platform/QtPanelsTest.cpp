#include "platform/QtPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Drives the modal panels under test. A panel blocks in its own loop, so the test's part is
// scheduled beforehand and runs inside that loop. Whatever is still pending when the driver
// goes (a panel that never appeared) fails the test and is dropped, so it cannot act on the
// next test's panels.
class PanelDriver
{
public:
    ~PanelDriver()
    {
        if (pending_ > 0)
            ADD_FAILURE() << pending_ << " expected panel(s) never appeared";
    }

    // Acts on the next modal window of type Dialog once it is shown.
    template <typename Dialog>
    void whenShown(std::function<void(Dialog*)> act)
    {
        ++pending_;
        auto* poll = new QTimer(&context_);
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, act, tries = 0]() mutable {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog && ++tries < 500)
                return;
            --pending_;
            poll->stop();
            poll->deleteLater();
            if (!dialog) {
                // Five seconds without it: whatever other panel blocks the run is closed.
                ADD_FAILURE() << "no " << Dialog::staticMetaObject.className() << " appeared";
                if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    other->done(QDialog::Rejected);
                return;
            }
            act(dialog);
            // A panel that the action failed to close would block the test run: close it.
            QTimer::singleShot(3000, &context_, [open = QPointer<Dialog>(dialog)] {
                if (open && open->isVisible()) {
                    ADD_FAILURE() << "the panel stayed open";
                    static_cast<QDialog*>(open.data())->done(QDialog::Rejected);
                }
            });
        });
        poll->start();
    }

    // Clicks the alert's button with `label`; an alert without one is closed, failing the test.
    void clickAlertButton(const QString& label)
    {
        whenShown<QMessageBox>([label](QMessageBox* box) {
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == label) {
                    button->click();
                    return;
                }
            }
            ADD_FAILURE() << "no button " << label.toStdString();
            box->reject();
        });
    }

private:
    QObject context_;
    int pending_ = 0;
};

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

TEST_F(QtAlertPanelsTest, EscapeNeverConfirms)
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
