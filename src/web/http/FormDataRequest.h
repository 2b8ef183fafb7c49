#pragma once

#include "web/http/HTTPRequest.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>
#include <variant>

// An HTTP request that posts a web form: named text values and named file parts, sent as an
// "application/x-www-form-urlencoded" body or as a "multipart/form-data" body. Files given by
// path are read from disk only when the body is built, and a body with files is written to a
// temporary file rather than held in memory. Texts are encoded with stringEncoding.
class FormDataRequest : public HTTPRequest
{
public:
    enum PostFormat : qint32 { MultipartFormData = 0, URLEncoded = 1 };

    struct ValueEntry {
        QString key;
        QString value;
        bool operator==(const ValueEntry&) const = default;
    };
    // A file part: a path read when the body is built, or bytes held here.
    struct FileEntry {
        QString key;
        std::variant<QString, QByteArray> data;
        QString fileName;
        QString contentType;
        bool operator==(const FileEntry&) const = default;
    };

    // The boundary of every multipart body whose parts do not hold it.
    static QString defaultBoundary() { return QStringLiteral("0xKhTmLbOuNdArY"); }

    explicit FormDataRequest(const QUrl& url);
    static std::shared_ptr<FormDataRequest> requestWithURL(const QUrl& url);

    // Values: a value is the text of what is given (a number's decimal digits, a text itself).
    void addPostValue(const QVariant& value, const QString& key);
    // Drops every value of that key, then adds this one.
    void setPostValue(const QVariant& value, const QString& key);

    // Files by path. A path where no file lies (or a folder) fails the request at once with
    // code 6; the part is kept all the same. Without a name the path's last component is sent,
    // without a type the one registered for its extension.
    void addFile(const QString& path, const QString& key);
    void addFile(const QString& path, const std::optional<QString>& fileName,
                 const std::optional<QString>& contentType, const QString& key);
    void setFile(const QString& path, const QString& key);
    void setFile(const QString& path, const std::optional<QString>& fileName,
                 const std::optional<QString>& contentType, const QString& key);

    // Files as bytes: named "file" unless told, of type "application/octet-stream" unless told.
    void addData(const QByteArray& data, const QString& key);
    void addData(const QByteArray& data, const std::optional<QString>& fileName,
                 const std::optional<QString>& contentType, const QString& key);
    void setData(const QByteArray& data, const QString& key);
    void setData(const QByteArray& data, const std::optional<QString>& fileName,
                 const std::optional<QString>& contentType, const QString& key);

    QList<ValueEntry> postData() const;
    QList<FileEntry> fileData() const;
    qint32 postFormat() const { return postFormat_.load(); }
    void setPostFormat(qint32 format) { postFormat_.store(format); }
    quint64 stringEncoding() const { return stringEncoding_.load(); }
    void setStringEncoding(quint64 encoding) { stringEncoding_.store(encoding); }
    // The boundary of the last multipart body built; empty before one is built.
    QString boundary() const;

    void buildPostBody() override;
    void buildURLEncodedPostBody();
    void buildMultipartFormDataPostBody();
    void appendPostString(const QString& text);
    // Percent-escapes every byte of the encoded text but ASCII letters, digits, "-", "." and "_";
    // "" when the text cannot be encoded.
    QString encodeURL(const QString& text) const;

    std::shared_ptr<HTTPRequest> copy() const override;

protected:
    std::shared_ptr<HTTPRequest> createRequest(const QUrl& url) const override;

private:
    void appendFileEntry(FileEntry entry);
    void removeFileEntries(const QString& key);
    // The fixed boundary when no value and no file holds it, otherwise a random one that none holds.
    QString chooseBoundary() const;

    mutable std::mutex formMutex_;
    std::optional<QList<ValueEntry>> postData_;
    std::optional<QList<FileEntry>> fileData_;
    QString boundary_;
    std::atomic<qint32> postFormat_ {URLEncoded};
    std::atomic<quint64> stringEncoding_ {StringEncoding::UTF8};
};
