#include "platform/FakePlatform.h"
#include "platform/QtPlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;

namespace {

// Every test leaves the registry empty, so no test sees another's services and none of them
// ever reaches the user's real settings.
class PlatformRegistryTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        Platform::setAlerts(nullptr);
        Platform::setFilePanels(nullptr);
        Platform::setWorkspace(nullptr);
        Platform::setPageFetcher(nullptr);
        Platform::setUserDefaults(nullptr);
        Platform::setClock(nullptr);
        Platform::setRandom(nullptr);
    }

    QTemporaryDir folder;
};

AlertRequest alert(const QString& title)
{
    AlertRequest request;
    request.title = title;
    request.message = QStringLiteral("Are you sure you want to delete this logline?");
    request.defaultButton = QStringLiteral("No");
    request.alternateButton = QStringLiteral("Yes");
    return request;
}

} // namespace

TEST_F(PlatformRegistryTest, GettersInstallTheQtServicesWhenNothingIsInstalled)
{
    EXPECT_NE(dynamic_cast<QtAlertPanels*>(&Platform::alerts()), nullptr);
    EXPECT_NE(dynamic_cast<QtFilePanels*>(&Platform::filePanels()), nullptr);
    EXPECT_NE(dynamic_cast<QtWorkspace*>(&Platform::workspace()), nullptr);
    EXPECT_NE(dynamic_cast<QtPageFetcher*>(&Platform::pageFetcher()), nullptr);
    EXPECT_NE(dynamic_cast<SystemClock*>(&Platform::clock()), nullptr);
    EXPECT_NE(dynamic_cast<SeededRandom*>(&Platform::random()), nullptr);
    // The lazily installed service stays the one in use.
    EXPECT_EQ(&Platform::alerts(), &Platform::alerts());
    EXPECT_EQ(&Platform::random(), &Platform::random());
}

TEST_F(PlatformRegistryTest, InstalledServicesReplaceEachOtherAndNullBringsBackTheDefault)
{
    auto first = std::make_unique<ScriptedAlerts>();
    ScriptedAlerts* firstAlerts = first.get();
    Platform::setAlerts(std::move(first));
    EXPECT_EQ(&Platform::alerts(), firstAlerts);

    auto second = std::make_unique<ScriptedAlerts>();
    second->answers = {AlertOtherReturn};
    ScriptedAlerts* secondAlerts = second.get();
    Platform::setAlerts(std::move(second));
    EXPECT_EQ(Platform::alerts().runAlert(alert(QStringLiteral("Delete Logline"))), AlertOtherReturn);
    ASSERT_EQ(secondAlerts->shown.size(), 1u);

    Platform::setAlerts(nullptr);
    EXPECT_NE(dynamic_cast<QtAlertPanels*>(&Platform::alerts()), nullptr);

    auto settings = std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("a.ini")));
    UserDefaults* installed = settings.get();
    Platform::setUserDefaults(std::move(settings));
    EXPECT_EQ(&Platform::userDefaults(), installed);
}

TEST_F(PlatformRegistryTest, FakePlatformInstallsEveryFakeAndSettingsInItsFolder)
{
    const FakePlatform fakes = FakePlatform::install(folder.path());
    EXPECT_EQ(&Platform::alerts(), fakes.alerts);
    EXPECT_EQ(&Platform::filePanels(), fakes.filePanels);
    EXPECT_EQ(&Platform::workspace(), fakes.workspace);
    EXPECT_EQ(&Platform::pageFetcher(), fakes.pageFetcher);
    EXPECT_EQ(&Platform::clock(), fakes.clock);
    EXPECT_EQ(&Platform::random(), fakes.random);
    EXPECT_EQ(Platform::clock().now(), (DateUtilities::DateTime{QDate(2020, 1, 1), QTime(12, 0)}));

    Platform::userDefaults().setString(QStringLiteral("VTR3BackupPath"), QStringLiteral("/backups"));
    Platform::userDefaults().synchronize();
    const QStringList written = QDir(folder.path()).entryList({QStringLiteral("*.ini")}, QDir::Files);
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(UserDefaults(folder.filePath(written.constFirst())).stringForKey(QStringLiteral("VTR3BackupPath")),
              QStringLiteral("/backups"));

    // A second install starts from fresh fakes.
    fakes.alerts->answers = {AlertAlternateReturn};
    const FakePlatform again = FakePlatform::install(folder.path());
    EXPECT_EQ(Platform::alerts().runAlert(alert(QStringLiteral("Delete Logline"))), AlertDefaultReturn);
    EXPECT_EQ(again.alerts->shown.size(), 1u);
}

TEST_F(PlatformRegistryTest, ScriptedAlertsAnswerInOrderThenTheDefaultButton)
{
    const FakePlatform fakes = FakePlatform::install(folder.path());
    fakes.alerts->answers = {AlertAlternateReturn, AlertOtherReturn};
    EXPECT_EQ(Platform::alerts().runAlert(alert(QStringLiteral("Delete Logline"))), AlertAlternateReturn);
    EXPECT_EQ(Platform::alerts().runAlert(alert(QStringLiteral("Delete Set-up"))), AlertOtherReturn);
    EXPECT_EQ(Platform::alerts().runAlert(alert(QStringLiteral("Delete Pay-off"))), AlertDefaultReturn);

    ASSERT_EQ(fakes.alerts->shown.size(), 3u);
    EXPECT_EQ(fakes.alerts->shown[0].title, QStringLiteral("Delete Logline"));
    EXPECT_EQ(fakes.alerts->shown[1].title, QStringLiteral("Delete Set-up"));
    EXPECT_EQ(fakes.alerts->shown[2].defaultButton, QStringLiteral("No"));
    EXPECT_EQ(fakes.alerts->shown[2].alternateButton, QStringLiteral("Yes"));
    EXPECT_TRUE(fakes.alerts->answers.empty());
}

TEST_F(PlatformRegistryTest, ScriptedFilePanelsAnswerInOrderThenCancel)
{
    const FakePlatform fakes = FakePlatform::install(folder.path());
    fakes.filePanels->saveAnswers = {QStringLiteral("/stories/New Version"), std::nullopt,
                                     QStringLiteral("/stories/Kept.VTRSF")};
    fakes.filePanels->openAnswers = {QStringLiteral("/backups")};

    SavePanelRequest save;
    save.title = QStringLiteral("Start New Version");
    save.allowedExtensions = {QStringLiteral("vtrsf")};
    EXPECT_EQ(Platform::filePanels().runSavePanel(save), QStringLiteral("/stories/New Version.vtrsf"));
    EXPECT_EQ(Platform::filePanels().runSavePanel(save), std::nullopt);
    EXPECT_EQ(Platform::filePanels().runSavePanel(save), QStringLiteral("/stories/Kept.VTRSF"));
    EXPECT_EQ(Platform::filePanels().runSavePanel(save), std::nullopt);
    ASSERT_EQ(fakes.filePanels->savePanels.size(), 4u);
    EXPECT_EQ(fakes.filePanels->savePanels[0].title, QStringLiteral("Start New Version"));

    OpenPanelRequest open;
    open.title = QStringLiteral("Vantora Backup Files Location");
    open.chooseDirectories = true;
    EXPECT_EQ(Platform::filePanels().runOpenPanel(open), QStringLiteral("/backups"));
    EXPECT_EQ(Platform::filePanels().runOpenPanel(open), std::nullopt);
    ASSERT_EQ(fakes.filePanels->openPanels.size(), 2u);
    EXPECT_TRUE(fakes.filePanels->openPanels[1].chooseDirectories);
}

TEST_F(PlatformRegistryTest, RecordingWorkspaceAndScriptedFetcherRecordWhatTheyWereAsked)
{
    const FakePlatform fakes = FakePlatform::install(folder.path());
    EXPECT_TRUE(Platform::workspace().openFile(QStringLiteral("/guide.pdf")));
    EXPECT_TRUE(Platform::workspace().openUrl(QUrl(QStringLiteral("https://example.invalid/tour"))));
    EXPECT_EQ(fakes.workspace->openedFiles, QStringList{QStringLiteral("/guide.pdf")});
    EXPECT_EQ(fakes.workspace->openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://example.invalid/tour"))});

    const QUrl version(QStringLiteral("https://example.invalid/version.txt"));
    const QUrl missing(QStringLiteral("https://example.invalid/missing"));
    fakes.pageFetcher->pages.insert(version, QByteArrayLiteral("3.1.4"));
    EXPECT_EQ(Platform::pageFetcher().fetch(version, 5s), QByteArrayLiteral("3.1.4"));
    EXPECT_EQ(Platform::pageFetcher().fetch(missing, 5s), std::nullopt);
    EXPECT_EQ(fakes.pageFetcher->requested, (QList<QUrl>{version, missing}));
}

TEST_F(PlatformRegistryTest, ScriptedRandomReducesItsNumbersIntoRangeThenAnswersZero)
{
    const FakePlatform fakes = FakePlatform::install(folder.path());
    fakes.random->numbers = {3, 17, -1, 5};
    EXPECT_EQ(Platform::random().randomNumberWithMax(8), 3);
    EXPECT_EQ(Platform::random().randomNumberWithMax(6), 5);
    EXPECT_EQ(Platform::random().randomNumberWithMax(11), 10);
    // Nothing to choose from: 0, and the next scripted number is kept for the next request.
    EXPECT_EQ(Platform::random().randomNumberWithMax(0), 0);
    EXPECT_EQ(Platform::random().randomNumberWithMax(-4), 0);
    EXPECT_EQ(Platform::random().randomNumberWithMax(9), 5);
    EXPECT_EQ(Platform::random().randomNumberWithMax(9), 0);
    EXPECT_EQ(fakes.random->asked, (std::vector<long>{8, 6, 11, 0, -4, 9, 9}));
}

TEST(SeededRandomTest, OneSeedGivesOneSequence)
{
    SeededRandom first(20240501u);
    SeededRandom second(20240501u);
    SeededRandom other(7u);
    std::vector<long> a, b, c;
    for (int i = 0; i < 50; ++i) {
        a.push_back(first.randomNumberWithMax(1000000));
        b.push_back(second.randomNumberWithMax(1000000));
        c.push_back(other.randomNumberWithMax(1000000));
    }
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

TEST(SeededRandomTest, NumbersStayInRangeAndCoverIt)
{
    SeededRandom random(1u);
    std::vector<int> seen(11, 0);
    for (int i = 0; i < 2000; ++i) {
        const long number = random.randomNumberWithMax(11);
        ASSERT_GE(number, 0);
        ASSERT_LT(number, 11);
        ++seen[static_cast<size_t>(number)];
    }
    for (int count : seen)
        EXPECT_GT(count, 0);

    const long large = 5'000'000'000L;
    for (int i = 0; i < 100; ++i) {
        const long number = random.randomNumberWithMax(large);
        ASSERT_GE(number, 0);
        ASSERT_LT(number, large);
    }
}

TEST(SeededRandomTest, MaxOfOneZeroOrLessAnswersZero)
{
    SeededRandom seeded(3u);
    SeededRandom system;
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(seeded.randomNumberWithMax(1), 0);
        EXPECT_EQ(seeded.randomNumberWithMax(0), 0);
        EXPECT_EQ(seeded.randomNumberWithMax(-5), 0);
        EXPECT_EQ(system.randomNumberWithMax(1), 0);
        EXPECT_EQ(system.randomNumberWithMax(-1), 0);
    }
}
