#include "AppFixture.h"

#include "app/AppActions.h"
#include "model/DefaultSettingdb.h"
#include "model/StoryFile.h"
#include "model/Toolkit.h"
#include "model/UserInformationdb.h"
#include "support/TimeLimit.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <stdexcept>

void AppFixture::SetUp()
{
    ASSERT_TRUE(home_.isValid());
    oldHome_ = qgetenv("HOME");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home_.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(QDir(home_.path()).filePath(".config")));
    QDir().mkpath(documents());
    fakes_ = FakePlatform::install(home_.path());
    AppController::initialize();
}

void AppFixture::TearDown()
{
    if (app_)
        app_->applicationShouldTerminate();
    app_.reset();
    settle();
    qputenv("HOME", oldHome_);
    if (oldConfig_.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig_);
}

QString AppFixture::defaultMasterPath() const
{
    return QDir(documents()).filePath(QStringLiteral("Vantora Data/VTRMasterFile.vtrmf"));
}

AppController& AppFixture::startApplication()
{
    // Not a first run, and the first-run material already shown.
    Platform::userDefaults().setBool(QStringLiteral("VTR3RanItBefore"), true);
    Platform::userDefaults().setBool(QStringLiteral("VTRSampleFilesShown"), true);
    app_ = std::make_unique<AppController>();
    EXPECT_TRUE(app_->continueStartup(QString(), QString(), QString()));
    if (!automaticTips_ && app_->userInformation())
        switchAutomaticTips(false);
    return *app_;
}

QString AppFixture::makeStory(const QString& name)
{
    const QString path = QDir(documents()).filePath(name);
    StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), path);
    Toolkit().populateDefaults(app_ ? app_->masterFilePath() : QString(), path);
    return path;
}

int AppFixture::answerAccountNumberDialog(QDialog& dialog, const QString& typed)
{
    auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("tfAccountNumber"));
    if (!field || typed.isEmpty()) {
        dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        return dialog.result();
    }
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    field->setFocus();
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Return);
    return dialog.result();
}

void AppFixture::switchAutomaticTips(bool on)
{
    if (!app_)
        throw std::logic_error("the tips are switched in a started application");
    QAction* item = app_->actions().mnuMPAutoTips;
    if (item->isChecked() != on)
        item->trigger();
    const UserInformationdb* user = app_->userInformation();
    const DefaultSettingdb* tips = user ? user->defaultSettingForSetting(QStringLiteral("AUTOTIPS")) : nullptr;
    if (!tips || tips->value() != (on ? QLatin1String("Y") : QLatin1String("N")))
        throw std::runtime_error("the automatic tips could not be switched in the master file");
}

bool AppFixture::waitUntil(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, static_cast<int>(TestTime::limitMs(10000)));
}

void AppFixture::settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}
