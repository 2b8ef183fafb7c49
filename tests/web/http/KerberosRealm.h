#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

// A throw-away Kerberos realm on 127.0.0.1 and a web server that asks for Negotiate, for the
// tests and the benchmark: an MIT KDC with a fresh database in a temporary folder (principals
// made with kadmin.local), a ticket for user "writer" in a cache of its own, and Apache with
// mod_auth_gssapi guarding /page.txt (and, for comparison, Basic for user "writer" with password
// "secret" guarding /basic/page.txt), run from a temporary server root. The process's Kerberos
// settings point at the realm while the object lives. Everything is stopped and removed with it.
class KerberosRealm
{
public:
    KerberosRealm();
    ~KerberosRealm();
    KerberosRealm(const KerberosRealm&) = delete;
    KerberosRealm& operator=(const KerberosRealm&) = delete;

    // What this system lacks for the realm or the server: a Debian package, or the name localhost
    // leading to 127.0.0.1. Empty when nothing is missing.
    static QString missingPackage();

    bool ready() const { return failure_.isEmpty(); }
    // What went wrong when the realm or the server could not be started.
    const QString& failure() const { return failure_; }
    // An address on the guarded server (host "localhost", whose service the realm knows).
    QUrl url(const QString& path) const;
    // Points the process at an empty ticket cache, or back at the one holding the ticket.
    void useTicket(bool withTicket);

private:
    bool start();
    bool run(const QString& program, const QStringList& arguments, const QByteArray& input = {});
    bool waitForPort(quint16 port, QProcess& process, const QString& name);
    QString path(const QString& name) const;

    QTemporaryDir folder_;
    QString failure_;
    quint16 kdcPort_ = 0;
    quint16 webPort_ = 0;
    std::unique_ptr<QProcess> kdc_;
    std::unique_ptr<QProcess> web_;
    QByteArray savedConfig_;
    QByteArray savedCache_;
};
