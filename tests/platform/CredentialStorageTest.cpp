#include "platform/CredentialStorage.h"
#include "support/LogCapture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

const CredentialSpace kServer {false, QStringLiteral("127.0.0.1"), 8080, QStringLiteral("http"),
                               QStringLiteral("Films")};
const CredentialSpace kOtherRealm {false, QStringLiteral("127.0.0.1"), 8080, QStringLiteral("http"),
                                   QStringLiteral("Drafts")};
const CredentialSpace kOtherScheme {false, QStringLiteral("127.0.0.1"), 8080, QStringLiteral("https"),
                                    QStringLiteral("Films")};
const CredentialSpace kProxy {true, QStringLiteral("127.0.0.1"), 8080, QString(), QStringLiteral("Films")};

// Saves a credential in each space, replaces one, removes another, and checks that every look-up
// finds the credential of its own space only.
void checkStoreKeepsSpacesApart(CredentialStorage& storage)
{
    const struct {
        const char* name;
        CredentialSpace space;
        StoredCredential credential;
    } rows[] = {
        {"server", kServer, {QStringLiteral("writer"), QStringLiteral("s3cret, with ünïcode")}},
        {"other realm", kOtherRealm, {QStringLiteral("editor"), QStringLiteral("drafts")}},
        {"other scheme", kOtherScheme, {QStringLiteral("reader"), QStringLiteral("secure")}},
        {"proxy", kProxy, {QStringLiteral("gate"), QStringLiteral("keeper")}},
    };
    for (const auto& row : rows)
        storage.remove(row.space);
    for (const auto& row : rows)
        EXPECT_FALSE(storage.find(row.space)) << row.name;
    for (const auto& row : rows)
        EXPECT_TRUE(storage.save(row.space, row.credential)) << row.name;
    for (const auto& row : rows)
        EXPECT_EQ(storage.find(row.space), row.credential) << row.name;

    const StoredCredential replacement {QStringLiteral("writer"), QStringLiteral("new one")};
    EXPECT_TRUE(storage.save(kServer, replacement));
    EXPECT_EQ(storage.find(kServer), replacement);
    storage.remove(kOtherRealm);
    EXPECT_FALSE(storage.find(kOtherRealm));
    EXPECT_EQ(storage.find(kProxy), rows[3].credential);
    EXPECT_EQ(storage.find(kOtherScheme), rows[2].credential);
}

TEST(MemoryCredentialStorage, KeepsOneCredentialForEachSpace)
{
    MemoryCredentialStorage storage;
    checkStoreKeepsSpacesApart(storage);
}

// --- The Secret Service, in a session of its own --------------------------------------------------

// The tests below run their checks in a child process of this test program, started with the
// environment given; the parent only says whether the child passed.
const char* const kChildVariable = "VANTORA_CREDENTIAL_CHILD";

// The test program starts without the session bus it was given; the child takes the one its
// parent names here.
const char* const kBusVariable = "VANTORA_CREDENTIAL_BUS";

bool inChild(const char* role)
{
    if (qEnvironmentVariable(kChildVariable) != QLatin1String(role))
        return false;
    if (!qEnvironmentVariableIsEmpty(kBusVariable))
        qputenv("DBUS_SESSION_BUS_ADDRESS", qgetenv(kBusVariable));
    return true;
}

void runChild(const QString& program, QStringList arguments, const QProcessEnvironment& environment)
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    arguments << QCoreApplication::applicationFilePath()
              << QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name());
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(program, arguments);
    ASSERT_TRUE(child.waitForStarted(10000)) << program.toStdString();
    const bool ended = child.waitForFinished(60000);
    const QString output = QString::fromLocal8Bit(child.readAll());
    if (!ended) {
        child.kill();
        child.waitForFinished();
    }
    ASSERT_TRUE(ended) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}

// A keyring daemon of the test's own, holding only the Secret Service, unlocked (and made, the
// first time) with the test's password in the data folder of the child's environment.
class KeyringDaemon
{
public:
    KeyringDaemon()
    {
        daemon_.setProcessChannelMode(QProcess::MergedChannels);
        daemon_.start(QStringLiteral("gnome-keyring-daemon"),
                      {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                       QStringLiteral("--components=secrets")});
        if (!daemon_.waitForStarted(10000))
            return;
        daemon_.write("test keyring password");
        daemon_.waitForBytesWritten(5000);
        daemon_.closeWriteChannel();
        // Ready once the daemon owns the service's name on the bus.
        const QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired() && daemon_.state() == QProcess::Running) {
            QProcess ask;
            ask.start(QStringLiteral("dbus-send"),
                      {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                       QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                       QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
                       QStringLiteral("string:org.freedesktop.secrets")});
            ask.waitForFinished(5000);
            if (ask.readAllStandardOutput().contains("boolean true")) {
                ready_ = true;
                return;
            }
            QThread::msleep(50);
        }
    }
    ~KeyringDaemon()
    {
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000)) {
            daemon_.kill();
            daemon_.waitForFinished();
        }
    }
    bool ready() const { return ready_; }
    // What the daemon said, for a failure message.
    QString said()
    {
        return QString::fromLocal8Bit(daemon_.readAll()) + QStringLiteral(" state %1").arg(daemon_.state());
    }

private:
    QProcess daemon_;
    bool ready_ = false;
};

QString missingPackage(const QList<QPair<QString, QString>>& programs)
{
    for (const auto& [program, package] : programs)
        if (QStandardPaths::findExecutable(program).isEmpty())
            return QStringLiteral("the %1 package is not installed (no %2)").arg(package, program);
    return {};
}

} // namespace

TEST(SecretServiceStorage, KeepsCredentialsInTheKeyringBetweenRuns)
{
    if (inChild("keyring")) {
        {
            KeyringDaemon daemon;
            ASSERT_TRUE(daemon.ready()) << daemon.said().toStdString();
            auto storage = SecretServiceStorage::connect();
            ASSERT_TRUE(storage);
            checkStoreKeepsSpacesApart(*storage);
        }
        // A new daemon on the same keyring files, as after logging in again, and a new connection.
        KeyringDaemon daemon;
        ASSERT_TRUE(daemon.ready());
        auto storage = SecretServiceStorage::connect();
        ASSERT_TRUE(storage);
        EXPECT_EQ(storage->find(kServer), (StoredCredential {QStringLiteral("writer"), QStringLiteral("new one")}));
        EXPECT_EQ(storage->find(kProxy), (StoredCredential {QStringLiteral("gate"), QStringLiteral("keeper")}));
        EXPECT_FALSE(storage->find(kOtherRealm));
        EXPECT_TRUE(QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/keyrings")).exists());
        return;
    }
    const QString missing = missingPackage({{QStringLiteral("dbus-run-session"), QStringLiteral("dbus")},
                                            {QStringLiteral("dbus-send"), QStringLiteral("dbus")},
                                            {QStringLiteral("gnome-keyring-daemon"), QStringLiteral("gnome-keyring")}});
    if (!missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QDir root(home.path());
    for (const char* folder : {"data", "config", "cache", "runtime"})
        ASSERT_TRUE(root.mkpath(QString::fromLatin1(folder)));
    QFile::setPermissions(root.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath("data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath("config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), root.filePath("cache"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath("runtime"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QString::fromLatin1(kChildVariable), QStringLiteral("keyring"));
    // The bus's address is handed on under a name of the test's own.
    runChild(QStringLiteral("dbus-run-session"),
             {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
              QStringLiteral("export %1=\"$DBUS_SESSION_BUS_ADDRESS\"; exec \"$0\" \"$@\"")
                  .arg(QString::fromLatin1(kBusVariable))},
             environment);
}

TEST(SecretServiceStorage, WithoutASecretServiceCredentialsStayInMemoryAndTheLogSaysSoOnce)
{
    if (inChild("no-service")) {
        LogCapture log;
        auto first = CredentialStorage::forThisDesktop();
        auto second = CredentialStorage::forThisDesktop();
        EXPECT_TRUE(dynamic_cast<MemoryCredentialStorage*>(first.get()));
        EXPECT_TRUE(dynamic_cast<MemoryCredentialStorage*>(second.get()));
        EXPECT_EQ(log.messages().filter(QStringLiteral("kept in memory")).size(), 1)
            << log.messages().join('\n').toStdString();
        checkStoreKeepsSpacesApart(*first);
        return;
    }
    // A session bus address where no bus listens, and no bus at all.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const QString& address : {QStringLiteral("unix:path=%1/no-bus").arg(folder.path()), QString()}) {
        SCOPED_TRACE(address.toStdString());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kChildVariable), QStringLiteral("no-service"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QString::fromLatin1(kBusVariable), address);
        runChild(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$@\"")}, environment);
    }
}
