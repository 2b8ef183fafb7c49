#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <memory>
#include <mutex>
#include <optional>

// Where a credential is kept: a server's host, port, scheme and realm, or a proxy's host,
// port and realm.
struct CredentialSpace {
    bool proxy = false;
    QString host;
    int port = 0;
    QString protocol; // empty for a proxy
    QString realm;
    bool operator==(const CredentialSpace&) const = default;
};

struct StoredCredential {
    QString user;
    QString password;
    bool operator==(const StoredCredential&) const = default;
};

// The desktop's store of credentials kept between runs, one credential for each space.
class CredentialStorage
{
public:
    virtual ~CredentialStorage() = default;

    // Replaces what the space held.
    virtual bool save(const CredentialSpace& space, const StoredCredential& credential) = 0;
    virtual std::optional<StoredCredential> find(const CredentialSpace& space) = 0;
    virtual void remove(const CredentialSpace& space) = 0;

    // The process-wide store: the desktop's Secret Service when the session offers one,
    // otherwise one in memory for this run (which the log says once).
    static CredentialStorage& shared();
    // Puts another store in place of the shared one (tests).
    static void install(std::unique_ptr<CredentialStorage> storage);
    // The Secret Service store, or the memory one when there is no Secret Service to reach.
    static std::unique_ptr<CredentialStorage> forThisDesktop();
};

// Credentials held for this run only. Thread-safe.
class MemoryCredentialStorage : public CredentialStorage
{
public:
    bool save(const CredentialSpace& space, const StoredCredential& credential) override;
    std::optional<StoredCredential> find(const CredentialSpace& space) override;
    void remove(const CredentialSpace& space) override;

private:
    std::mutex mutex_;
    QList<QPair<CredentialSpace, StoredCredential>> credentials_;
};

// Credentials kept by the desktop's Secret Service (the keyring) as items with the space's
// fields and the user as attributes and the password as the secret. Thread-safe.
class SecretServiceStorage : public CredentialStorage
{
public:
    // Nothing when the session has no bus or no Secret Service on it.
    static std::unique_ptr<SecretServiceStorage> connect();
    ~SecretServiceStorage() override;

    bool save(const CredentialSpace& space, const StoredCredential& credential) override;
    std::optional<StoredCredential> find(const CredentialSpace& space) override;
    void remove(const CredentialSpace& space) override;

private:
    explicit SecretServiceStorage(void* service) : service_(service) {}
    std::mutex mutex_;
    void* service_; // the library's service object, one reference held
};
