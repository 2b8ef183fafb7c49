#include "KerberosRealm.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QUdpSocket>

#include <unistd.h>

namespace {

const QString kRealm = QStringLiteral("VANTORA.TEST");

// A port free on 127.0.0.1 for both TCP and UDP, as the KDC listens on both.
quint16 freePort()
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        QTcpServer tcp;
        if (!tcp.listen(QHostAddress::LocalHost, 0))
            continue;
        QUdpSocket udp;
        if (udp.bind(QHostAddress::LocalHost, tcp.serverPort()))
            return tcp.serverPort();
    }
    return 0;
}

bool writeText(const QString& path, const QString& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
}

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void stop(std::unique_ptr<QProcess>& process)
{
    if (!process)
        return;
    process->terminate();
    if (!process->waitForFinished(5000)) {
        process->kill();
        process->waitForFinished(5000);
    }
    process.reset();
}

} // namespace

QString KerberosRealm::missingPackage()
{
    const struct {
        const char* program;
        const char* package;
    } needed[] = {
        {"krb5kdc", "krb5-kdc"},       {"kdb5_util", "krb5-kdc"},  {"kadmin.local", "krb5-admin-server"},
        {"kinit", "krb5-user"},        {"apache2", "apache2"},
    };
    const QStringList system {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin")};
    for (const auto& entry : needed) {
        const QString program = QString::fromLatin1(entry.program);
        if (QStandardPaths::findExecutable(program).isEmpty()
            && QStandardPaths::findExecutable(program, system).isEmpty())
            return QStringLiteral("the %1 package is not installed (no %2)").arg(QLatin1String(entry.package), program);
    }
    if (!QFile::exists(QStringLiteral("/usr/lib/apache2/modules/mod_auth_gssapi.so")))
        return QStringLiteral("the libapache2-mod-auth-gssapi package is not installed (no mod_auth_gssapi)");
    // The service's name is HTTP/localhost, so the client must reach the server under that name,
    // which a system without a hosts file (a bare root folder) does not know.
    if (!QHostInfo::fromName(QStringLiteral("localhost")).addresses().contains(QHostAddress(QHostAddress::LocalHost)))
        return QStringLiteral("the name localhost does not lead to 127.0.0.1 here (no such line in /etc/hosts)");
    return {};
}

KerberosRealm::KerberosRealm()
{
    savedConfig_ = qgetenv("KRB5_CONFIG");
    savedCache_ = qgetenv("KRB5CCNAME");
    if (!start() && failure_.isEmpty())
        failure_ = QStringLiteral("the realm could not be started");
}

KerberosRealm::~KerberosRealm()
{
    stop(web_);
    stop(kdc_);
    qputenv("KRB5_CONFIG", savedConfig_);
    qputenv("KRB5CCNAME", savedCache_);
    qunsetenv("KRB5_KDC_PROFILE");
    qunsetenv("KRB5RCACHETYPE");
}

QString KerberosRealm::path(const QString& name) const
{
    return QDir(folder_.path()).filePath(name);
}

QUrl KerberosRealm::url(const QString& path) const
{
    return QUrl(QStringLiteral("http://localhost:%1%2").arg(webPort_).arg(path));
}

void KerberosRealm::useTicket(bool withTicket)
{
    const QString cache = withTicket ? path(QStringLiteral("writer.ccache")) : path(QStringLiteral("empty.ccache"));
    qputenv("KRB5CCNAME", QFile::encodeName(QStringLiteral("FILE:") + cache));
}

bool KerberosRealm::run(const QString& program, const QStringList& arguments, const QByteArray& input)
{
    QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(program, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(found, arguments);
    if (!process.waitForStarted(10000)) {
        failure_ = program + QStringLiteral(" did not start");
        return false;
    }
    if (!input.isEmpty()) {
        process.write(input);
        process.waitForBytesWritten(5000);
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        failure_ = QStringLiteral("%1 %2 failed: %3")
                       .arg(program, arguments.join(QLatin1Char(' ')), QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    return true;
}

bool KerberosRealm::waitForPort(quint16 port, QProcess& process, const QString& name)
{
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (process.state() == QProcess::NotRunning) {
            failure_ = name + QStringLiteral(" stopped: ") + QString::fromLocal8Bit(process.readAll());
            return false;
        }
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(200))
            return true;
        QThread::msleep(20);
    }
    failure_ = name + QStringLiteral(" did not listen in time");
    return false;
}

bool KerberosRealm::start()
{
    if (!folder_.isValid())
        return false;
    // Apache's workers run as nobody when started by root: they must reach the folder and the key.
    QFile::setPermissions(folder_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                              | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    kdcPort_ = freePort();
    webPort_ = freePort();
    if (kdcPort_ == 0 || webPort_ == 0 || kdcPort_ == webPort_) {
        failure_ = QStringLiteral("no free ports");
        return false;
    }
    const QString port = QString::number(kdcPort_);
    const bool written =
        writeText(path(QStringLiteral("krb5.conf")),
                  QStringLiteral("[libdefaults]\n default_realm = %1\n dns_lookup_kdc = false\n"
                                 " dns_lookup_realm = false\n dns_canonicalize_hostname = false\n rdns = false\n"
                                 "[realms]\n %1 = {\n  kdc = 127.0.0.1:%2\n }\n"
                                 "[domain_realm]\n localhost = %1\n")
                      .arg(kRealm, port))
        && writeText(path(QStringLiteral("kdc.conf")),
                     QStringLiteral("[kdcdefaults]\n kdc_ports = %2\n kdc_tcp_ports = %2\n"
                                    "[realms]\n %1 = {\n  database_name = %3\n  key_stash_file = %4\n"
                                    "  acl_file = %5\n  kdc_ports = %2\n  kdc_tcp_ports = %2\n }\n"
                                    "[logging]\n kdc = FILE:%6\n")
                         .arg(kRealm, port, path(QStringLiteral("principal")), path(QStringLiteral("stash")),
                              path(QStringLiteral("kadm5.acl")), path(QStringLiteral("kdc.log"))))
        && writeText(path(QStringLiteral("kadm5.acl")), QString())
        && QDir().mkpath(path(QStringLiteral("htdocs")))
        && writeText(path(QStringLiteral("htdocs/page.txt")), QStringLiteral("let in"))
        && QDir().mkpath(path(QStringLiteral("htdocs/basic")))
        && writeText(path(QStringLiteral("htdocs/basic/page.txt")), QStringLiteral("let in"))
        && writeText(path(QStringLiteral("users")),
                     QStringLiteral("writer:{SHA}")
                         + QString::fromLatin1(QCryptographicHash::hash("secret", QCryptographicHash::Sha1).toBase64())
                         + QLatin1Char('\n'));
    if (!written) {
        failure_ = QStringLiteral("the realm's files could not be written");
        return false;
    }
    qputenv("KRB5_CONFIG", QFile::encodeName(path(QStringLiteral("krb5.conf"))));
    qputenv("KRB5_KDC_PROFILE", QFile::encodeName(path(QStringLiteral("kdc.conf"))));
    // Every attempt is new here: no replay cache to keep in the system's folders.
    qputenv("KRB5RCACHETYPE", "none");
    useTicket(true);

    const QString keytab = path(QStringLiteral("http.keytab"));
    const QString userKeytab = path(QStringLiteral("writer.keytab"));
    const auto admin = [&](const QString& query) {
        return run(QStringLiteral("kadmin.local"), {QStringLiteral("-r"), kRealm, QStringLiteral("-q"), query});
    };
    if (!run(QStringLiteral("kdb5_util"), {QStringLiteral("-r"), kRealm, QStringLiteral("create"), QStringLiteral("-s"),
                                           QStringLiteral("-P"), QStringLiteral("master key of the test realm")})
        || !admin(QStringLiteral("addprinc -pw secret writer"))
        || !admin(QStringLiteral("addprinc -randkey HTTP/localhost"))
        || !admin(QStringLiteral("ktadd -k %1 HTTP/localhost").arg(keytab))
        || !admin(QStringLiteral("ktadd -norandkey -k %1 writer").arg(userKeytab)))
        return false;
    QFile::setPermissions(keytab, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);

    kdc_ = std::make_unique<QProcess>();
    kdc_->setProcessChannelMode(QProcess::MergedChannels);
    kdc_->start(QStandardPaths::findExecutable(QStringLiteral("krb5kdc"), {QStringLiteral("/usr/sbin")}),
                {QStringLiteral("-n"), QStringLiteral("-r"), kRealm});
    if (!waitForPort(kdcPort_, *kdc_, QStringLiteral("krb5kdc")))
        return false;
    if (!run(QStringLiteral("kinit"),
             {QStringLiteral("-k"), QStringLiteral("-t"), userKeytab, QStringLiteral("writer")}))
        return false;

    const QString modules = QStringLiteral("/usr/lib/apache2/modules/");
    const bool root = ::geteuid() == 0;
    const QString config =
        QStringLiteral("ServerRoot \"%1\"\nDefaultRuntimeDir \"%1\"\nPidFile \"%1/httpd.pid\"\n"
                       "Listen 127.0.0.1:%2\nServerName localhost\nErrorLog \"%1/error.log\"\nLogLevel warn\n"
                       "LoadModule mpm_event_module %3mod_mpm_event.so\n"
                       "LoadModule authn_core_module %3mod_authn_core.so\n"
                       "LoadModule authz_core_module %3mod_authz_core.so\n"
                       "LoadModule authz_user_module %3mod_authz_user.so\n"
                       "LoadModule auth_gssapi_module %3mod_auth_gssapi.so\n"
                       "LoadModule auth_basic_module %3mod_auth_basic.so\n"
                       "LoadModule authn_file_module %3mod_authn_file.so\n"
                       "%4"
                       "StartServers 1\nServerLimit 1\nThreadsPerChild 8\nMaxRequestWorkers 8\n"
                       "DocumentRoot \"%1/htdocs\"\n"
                       "<Directory \"%1/htdocs\">\n Require all granted\n</Directory>\n"
                       "<Location \"/\">\n AuthType GSSAPI\n AuthName \"Vantora test realm\"\n"
                       " GssapiCredStore keytab:%5\n GssapiAllowedMech krb5\n Require valid-user\n</Location>\n"
                       "<Location \"/basic/\">\n AuthType Basic\n AuthName \"Films\"\n AuthBasicProvider file\n"
                       " AuthUserFile \"%1/users\"\n Require valid-user\n</Location>\n")
            .arg(folder_.path(), QString::number(webPort_), modules,
                 root ? QStringLiteral("User nobody\nGroup nogroup\n") : QString(), keytab);
    if (!writeText(path(QStringLiteral("httpd.conf")), config)) {
        failure_ = QStringLiteral("the web server's configuration could not be written");
        return false;
    }
    web_ = std::make_unique<QProcess>();
    web_->setProcessChannelMode(QProcess::MergedChannels);
    web_->start(QStandardPaths::findExecutable(QStringLiteral("apache2"), {QStringLiteral("/usr/sbin")}),
                {QStringLiteral("-f"), path(QStringLiteral("httpd.conf")), QStringLiteral("-DFOREGROUND")});
    if (!waitForPort(webPort_, *web_, QStringLiteral("apache2"))) {
        failure_ += QLatin1Char(' ') + readText(path(QStringLiteral("error.log")));
        return false;
    }
    return true;
}
