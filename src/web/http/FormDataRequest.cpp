#include "web/http/FormDataRequest.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace {

constexpr qint64 kScanChunk = 262144;

// Names travel inside a quoted header parameter: a quotation mark or a line break there would
// end the parameter or the header early.
QString escapedHeaderParameter(QString text)
{
    text.replace(QLatin1Char('"'), QLatin1String("%22"));
    text.replace(QLatin1Char('\r'), QLatin1String("%0D"));
    text.replace(QLatin1Char('\n'), QLatin1String("%0A"));
    return text;
}

// Reads the file in chunks that overlap by the needle's length, so a needle that straddles two
// chunks is found too.
bool fileContains(const QString& path, const QByteArray& needle)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray tail;
    for (;;) {
        const QByteArray chunk = file.read(kScanChunk);
        if (chunk.isEmpty())
            return false;
        const QByteArray window = tail + chunk;
        if (window.contains(needle))
            return true;
        tail = window.right(needle.size() - 1);
    }
}

} // namespace

FormDataRequest::FormDataRequest(const QUrl& url)
    : HTTPRequest(url)
{
}

std::shared_ptr<FormDataRequest> FormDataRequest::requestWithURL(const QUrl& url)
{
    return std::make_shared<FormDataRequest>(url);
}

std::shared_ptr<HTTPRequest> FormDataRequest::createRequest(const QUrl& url) const
{
    return std::make_shared<FormDataRequest>(url);
}

std::shared_ptr<HTTPRequest> FormDataRequest::copy() const
{
    auto request = HTTPRequest::copy();
    auto* form = static_cast<FormDataRequest*>(request.get());
    {
        std::lock_guard lock(formMutex_);
        form->postData_ = postData_;
        form->fileData_ = fileData_;
    }
    form->setPostFormat(postFormat());
    form->setStringEncoding(stringEncoding());
    return request;
}

// --- Entries -------------------------------------------------------------------------------------

void FormDataRequest::addPostValue(const QVariant& value, const QString& key)
{
    std::lock_guard lock(formMutex_);
    if (!postData_)
        postData_.emplace();
    postData_->append({key, value.toString()});
}

void FormDataRequest::setPostValue(const QVariant& value, const QString& key)
{
    {
        std::lock_guard lock(formMutex_);
        if (postData_)
            postData_->removeIf([&key](const ValueEntry& entry) { return entry.key == key; });
    }
    addPostValue(value, key);
}

void FormDataRequest::appendFileEntry(FileEntry entry)
{
    std::lock_guard lock(formMutex_);
    if (!fileData_)
        fileData_.emplace();
    fileData_->append(std::move(entry));
}

void FormDataRequest::removeFileEntries(const QString& key)
{
    std::lock_guard lock(formMutex_);
    if (fileData_)
        fileData_->removeIf([&key](const FileEntry& entry) { return entry.key == key; });
}

void FormDataRequest::addFile(const QString& path, const QString& key)
{
    addFile(path, std::nullopt, std::nullopt, key);
}

void FormDataRequest::addFile(const QString& path, const std::optional<QString>& fileName,
                              const std::optional<QString>& contentType, const QString& key)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        failWithError(HTTPError::make(HTTPError::InternalError, QStringLiteral("No file exists at %1").arg(path)));
    FileEntry entry;
    entry.key = key;
    entry.data = path;
    entry.fileName = fileName.value_or(info.fileName());
    entry.contentType = contentType ? *contentType : mimeTypeForFileAtPath(path);
    appendFileEntry(std::move(entry));
}

void FormDataRequest::setFile(const QString& path, const QString& key)
{
    setFile(path, std::nullopt, std::nullopt, key);
}

void FormDataRequest::setFile(const QString& path, const std::optional<QString>& fileName,
                              const std::optional<QString>& contentType, const QString& key)
{
    removeFileEntries(key);
    addFile(path, fileName, contentType, key);
}

void FormDataRequest::addData(const QByteArray& data, const QString& key)
{
    addData(data, QStringLiteral("file"), std::nullopt, key);
}

void FormDataRequest::addData(const QByteArray& data, const std::optional<QString>& fileName,
                              const std::optional<QString>& contentType, const QString& key)
{
    FileEntry entry;
    entry.key = key;
    entry.data = data;
    // Bytes without a name go out under the name the form would give any unnamed file.
    entry.fileName = fileName.value_or(QStringLiteral("file"));
    entry.contentType = contentType.value_or(QStringLiteral("application/octet-stream"));
    appendFileEntry(std::move(entry));
}

void FormDataRequest::setData(const QByteArray& data, const QString& key)
{
    setData(data, QStringLiteral("file"), std::nullopt, key);
}

void FormDataRequest::setData(const QByteArray& data, const std::optional<QString>& fileName,
                              const std::optional<QString>& contentType, const QString& key)
{
    removeFileEntries(key);
    addData(data, fileName, contentType, key);
}

QList<FormDataRequest::ValueEntry> FormDataRequest::postData() const
{
    std::lock_guard lock(formMutex_);
    return postData_.value_or(QList<ValueEntry>());
}

QList<FormDataRequest::FileEntry> FormDataRequest::fileData() const
{
    std::lock_guard lock(formMutex_);
    return fileData_.value_or(QList<FileEntry>());
}

QString FormDataRequest::boundary() const
{
    std::lock_guard lock(formMutex_);
    return boundary_;
}

// --- The body ------------------------------------------------------------------------------------

void FormDataRequest::buildPostBody()
{
    if (haveBuiltPostBody())
        return;
    bool hasValues = false;
    bool hasFiles = false;
    {
        std::lock_guard lock(formMutex_);
        hasValues = postData_.has_value();
        hasFiles = fileData_.has_value() && !fileData_->isEmpty();
        if (!hasValues && !fileData_) {
            // Nothing of the form: the body is whatever was appended directly.
            HTTPRequest::buildPostBody();
            return;
        }
    }
    if (hasFiles)
        setShouldStreamPostDataFromDisk(true);
    if (postFormat() == URLEncoded)
        buildURLEncodedPostBody();
    else
        buildMultipartFormDataPostBody();
    HTTPRequest::buildPostBody();
}

void FormDataRequest::buildURLEncodedPostBody()
{
    if (!fileData().isEmpty()) {
        setPostFormat(MultipartFormData);
        buildMultipartFormDataPostBody();
        return;
    }
    addRequestHeader(QStringLiteral("Content-Type"), QStringLiteral("application/x-www-form-urlencoded; charset=%1")
                                                         .arg(StringEncoding::ianaName(stringEncoding())));
    const QList<ValueEntry> values = postData();
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString separator = i + 1 < values.size() ? QStringLiteral("&") : QString();
        appendPostString(encodeURL(values[i].key) + QLatin1Char('=') + encodeURL(values[i].value) + separator);
    }
}

void FormDataRequest::buildMultipartFormDataPostBody()
{
    const QString chosen = chooseBoundary();
    {
        std::lock_guard lock(formMutex_);
        boundary_ = chosen;
    }
    addRequestHeader(QStringLiteral("Content-Type"), QStringLiteral("multipart/form-data; charset=%1; boundary=%2")
                                                         .arg(StringEncoding::ianaName(stringEncoding()), chosen));
    const QString between = QStringLiteral("\r\n--%1\r\n").arg(chosen);
    appendPostString(QStringLiteral("--%1\r\n").arg(chosen));

    const QList<ValueEntry> values = postData();
    const QList<FileEntry> files = fileData();
    for (qsizetype i = 0; i < values.size(); ++i) {
        appendPostString(QStringLiteral("Content-Disposition: form-data; name=\"%1\"\r\n\r\n")
                             .arg(escapedHeaderParameter(values[i].key)));
        appendPostString(values[i].value);
        if (i + 1 < values.size() || !files.isEmpty())
            appendPostString(between);
    }
    for (qsizetype i = 0; i < files.size(); ++i) {
        const FileEntry& file = files[i];
        appendPostString(QStringLiteral("Content-Disposition: form-data; name=\"%1\"; filename=\"%2\"\r\n")
                             .arg(escapedHeaderParameter(file.key), escapedHeaderParameter(file.fileName)));
        appendPostString(QStringLiteral("Content-Type: %1\r\n\r\n").arg(file.contentType));
        if (const auto* path = std::get_if<QString>(&file.data))
            appendPostDataFromFile(*path);
        else
            appendPostData(std::get<QByteArray>(file.data));
        if (i + 1 < files.size())
            appendPostString(between);
    }
    appendPostString(QStringLiteral("\r\n--%1--\r\n").arg(chosen));
}

QString FormDataRequest::chooseBoundary() const
{
    const QList<ValueEntry> values = postData();
    const QList<FileEntry> files = fileData();
    const auto heldAnywhere = [&](const QString& candidate) {
        const QByteArray needle = StringEncoding::encode(candidate, stringEncoding()).value_or(candidate.toUtf8());
        for (const ValueEntry& value : values)
            if (StringEncoding::encode(value.value, stringEncoding()).value_or(QByteArray()).contains(needle))
                return true;
        for (const FileEntry& file : files) {
            if (const auto* path = std::get_if<QString>(&file.data)) {
                if (fileContains(*path, needle))
                    return true;
            } else if (std::get<QByteArray>(file.data).contains(needle)) {
                return true;
            }
        }
        return false;
    };
    QString candidate = defaultBoundary();
    while (heldAnywhere(candidate)) {
        candidate = defaultBoundary() + QLatin1Char('-')
                    + QString::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, QLatin1Char('0'));
    }
    return candidate;
}

void FormDataRequest::appendPostString(const QString& text)
{
    const auto bytes = StringEncoding::encode(text, stringEncoding());
    if (!bytes) {
        // A body missing part of the form must not go out as if it were whole.
        failWithError(HTTPError::make(HTTPError::InternalError,
                                      QStringLiteral("The form holds text that cannot be written as %1")
                                          .arg(StringEncoding::ianaName(stringEncoding()))));
        return;
    }
    appendPostData(*bytes);
}

QString FormDataRequest::encodeURL(const QString& text) const
{
    const auto bytes = StringEncoding::encode(text, stringEncoding());
    if (!bytes)
        return QStringLiteral("");
    // Qt leaves letters, digits, "-", ".", "_" and "~" as they are; the form escapes "~" too.
    return QString::fromLatin1(bytes->toPercentEncoding(QByteArray(), QByteArrayLiteral("~")));
}
