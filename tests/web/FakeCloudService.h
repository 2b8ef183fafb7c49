#pragma once

#include "web/http/LoopbackServer.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <memory>

// The cloud web service, its upload page and its stored files, played on 127.0.0.1 for the
// tests. SOAP calls are read as XML (a malformed envelope is answered with 400 and recorded
// as such); each operation answers its scripted result text, escaped for XML as a real
// service would. The stored-file pages answer from a map of files; the upload page records
// the multipart body it is sent. Script it before the calls; read what it got after them.
class FakeCloudService
{
public:
    struct Call {
        QString operation;              // "MiscInfo", "PrepForUpload", ...; "malformed" for bad XML
        QMap<QString, QString> arguments; // element name to its text, as the XML reader sees it
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray headBytes;
        QByteArray body;
    };
    struct StoredFile {
        QByteArray status = "200 OK";
        QByteArray bytes;
    };

    FakeCloudService();
    ~FakeCloudService();

    // The address of the server with a path, and the root every endpoint of a test points at.
    QString root() const;
    quint16 port() const;

    // The result text of an operation (unescaped; the server escapes it). An operation without
    // one answers a page without a result element.
    void answer(const QString& operation, const QString& resultText);
    // Answers the SOAP endpoint with this status and body instead of an envelope.
    void answerRaw(const QByteArray& status, const QByteArray& body);
    void storeFile(const QString& path, StoredFile file);
    // The status (and extra header lines, each ending in CR LF) the upload page answers with; an
    // empty status closes the connection unanswered.
    void setUploadStatus(const QByteArray& status, const QByteArray& headers = {});
    // While held, the upload page reads each post whole and keeps its answer back until
    // released, oldest first; false when no answer was held.
    void holdUploadAnswers(bool held);
    bool releaseUploadAnswer();

    QList<Call> calls() const;
    QStringList operations() const;
    // The paths asked for with GET, in order.
    QList<QByteArray> fetchedPaths() const;
    QList<Call> uploads() const;

private:
    LoopbackServer::Reply handle(const LoopbackServer::Request& request);

    mutable QMutex mutex_;
    QMap<QString, QString> results_;
    QByteArray rawStatus_;
    QByteArray rawBody_;
    QMap<QString, StoredFile> files_;
    QByteArray uploadStatus_ = "200 OK";
    QByteArray uploadHeaders_;
    bool holdUploads_ = false;
    QList<Call> calls_;
    QList<QByteArray> fetched_;
    QList<Call> uploads_;
    std::unique_ptr<LoopbackServer> server_;
};

// Points the cloud exchange's addresses (web services, test services, cloud store) at a root
// such as FakeCloudService::root(), through the installed settings; an empty root restores the
// defaults.
void pointCloudEndpointsAt(const QString& root);

// The parts of a multipart body in order: name, file name (empty for a value) and content.
struct MultipartPart {
    QString name;
    QString fileName;
    QByteArray content;
};
QList<MultipartPart> multipartParts(const QByteArray& body, const QByteArray& boundary);
