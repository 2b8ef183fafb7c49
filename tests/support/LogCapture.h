#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects every message the program logs (any category, any level) while it lives.
class LogCapture
{
public:
    LogCapture()
    {
        captured().clear();
        previous_ = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture() { qInstallMessageHandler(previous_); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const QStringList& messages() const { return captured(); }

private:
    static QStringList& captured()
    {
        static QStringList messages;
        return messages;
    }
    static void handle(QtMsgType, const QMessageLogContext&, const QString& message) { captured() << message; }

    QtMessageHandler previous_ = nullptr;
};
