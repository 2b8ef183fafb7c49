#include "platform/CredentialStorage.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCredentials, "vantora.platform.credentials")

namespace {

std::mutex& sharedMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<CredentialStorage>& sharedStorage()
{
    static std::unique_ptr<CredentialStorage> storage;
    return storage;
}

} // namespace

CredentialStorage& CredentialStorage::shared()
{
    std::lock_guard lock(sharedMutex());
    auto& storage = sharedStorage();
    if (!storage)
        storage = forThisDesktop();
    return *storage;
}

void CredentialStorage::install(std::unique_ptr<CredentialStorage> storage)
{
    std::lock_guard lock(sharedMutex());
    sharedStorage() = std::move(storage);
}

std::unique_ptr<CredentialStorage> CredentialStorage::forThisDesktop()
{
    if (auto secrets = SecretServiceStorage::connect())
        return secrets;
    static std::once_flag said;
    std::call_once(said, [] {
        qCInfo(lcCredentials).noquote() << QStringLiteral(
            "No Secret Service answers on this desktop: saved passwords are kept in memory until the program quits.");
    });
    return std::make_unique<MemoryCredentialStorage>();
}

bool MemoryCredentialStorage::save(const CredentialSpace& space, const StoredCredential& credential)
{
    std::lock_guard lock(mutex_);
    for (auto& entry : credentials_) {
        if (entry.first == space) {
            entry.second = credential;
            return true;
        }
    }
    credentials_.append({space, credential});
    return true;
}

std::optional<StoredCredential> MemoryCredentialStorage::find(const CredentialSpace& space)
{
    std::lock_guard lock(mutex_);
    for (const auto& entry : credentials_)
        if (entry.first == space)
            return entry.second;
    return std::nullopt;
}

void MemoryCredentialStorage::remove(const CredentialSpace& space)
{
    std::lock_guard lock(mutex_);
    credentials_.removeIf([&](const auto& entry) { return entry.first == space; });
}
