#include "GuardedCall.h"

#include "AppLog.h"
#include "model/DatabaseError.h"
#include "platform/Platform.h"


void reportFailure(const QString& message)
{
    qCWarning(lcApp).noquote() << message;
    try {
        AlertRequest alert;
        alert.title = QStringLiteral("Vantora");
        alert.message = message;
        Platform::alerts().runAlert(alert);
    } catch (...) {
        qCWarning(lcApp) << "the failure could not be shown";
    }
}

void reportCurrentException()
{
    try {
        throw;
    } catch (const DatabaseError& error) {
        reportFailure(error.message());
    } catch (const std::exception& error) {
        reportFailure(QString::fromUtf8(error.what()));
    } catch (...) {
        reportFailure(QStringLiteral("An unexpected error occurred."));
    }
}
