#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Turns on the program's trace (the debug level of its "vantora" categories) while it lives
// and collects what is traced, each line as "category: message". Other levels and other
// categories are let through to the handler that was in place.
class TraceCapture
{
public:
    TraceCapture()
    {
        captured().clear();
        QLoggingCategory::setFilterRules(QStringLiteral("vantora.*.debug=true"));
        previous() = qInstallMessageHandler(&TraceCapture::handle);
    }
    ~TraceCapture()
    {
        qInstallMessageHandler(previous());
        QLoggingCategory::setFilterRules(QString());
    }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    const QStringList& lines() const { return captured(); }
    void clear() { captured().clear(); }

private:
    static QStringList& captured()
    {
        static QStringList lines;
        return lines;
    }
    static QtMessageHandler& previous()
    {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        const QString category = QString::fromLatin1(context.category ? context.category : "");
        if (type == QtDebugMsg && category.startsWith(QLatin1String("vantora."))) {
            captured() << category + QStringLiteral(": ") + message;
            return;
        }
        if (previous())
            previous()(type, context, message);
    }
};
