#pragma once

#include <QString>
#include <QUrl>

struct UrlLoadRequest;
struct vtSOAPRequest;

// The cloud store as the commands reach it. The calls themselves are operations of Toolkit
// (getFTPInfo, getFileNamesInCloud, getInfoForUpload, deleteFile, ...), sent synchronously
// through the platform's URL loading; these are the addresses and texts they share.
namespace CloudToolkit {
// What the commands show when the service refuses the account number.
QString refusalMessage();
// The page that receives an uploaded story file.
QUrl uploadURL();
// Where a stored story file is read from: the account number and the file name each travel as
// one path segment, so a name holding "/", "?" or "#" cannot point the request elsewhere.
QUrl storedFileURL(const QString& accountNumber, const QString& fileName);
} // namespace CloudToolkit

// The SOAP message as the platform's URL loading sends it, header fields in their order.
UrlLoadRequest soapLoadRequest(const vtSOAPRequest& request);
