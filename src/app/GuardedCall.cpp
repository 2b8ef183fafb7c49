#include "GuardedCall.h"

#include "AppLog.h"
#include "model/DatabaseError.h"
#include "platform/Platform.h"

namespace {

HeldFailures* heldFailures = nullptr;

} // namespace

HeldFailures::HeldFailures()
    : outer_(std::exchange(heldFailures, this))
{
}

HeldFailures::~HeldFailures()
{
    heldFailures = outer_;
}

void HeldFailures::hold(std::exception_ptr failure)
{
    if (!first_)
        first_ = std::move(failure);
}

void HeldFailures::rethrowFirst() const
{
    if (first_)
        std::rethrow_exception(first_);
}

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
        if (heldFailures) {
            qCWarning(lcApp).noquote() << error.message();
            heldFailures->hold(std::current_exception());
            return;
        }
        reportFailure(error.message());
    } catch (const std::exception& error) {
        reportFailure(QString::fromUtf8(error.what()));
    } catch (...) {
        reportFailure(QStringLiteral("An unexpected error occurred."));
    }
}
