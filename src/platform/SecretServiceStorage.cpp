// The library's headers come before Qt's: GLib names a field after a word Qt defines.
#include <libsecret/secret.h>

#include "platform/CredentialStorage.h"

#include <QByteArray>

namespace {

const SecretSchema* schema()
{
    static const SecretSchema kSchema = {
        "app.vantora.Credential",
        SECRET_SCHEMA_NONE,
        {
            {"kind", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"host", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"port", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"protocol", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"realm", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
        },
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    };
    return &kSchema;
}

// The attributes that name a space (without the user), as a table the library reads.
GHashTable* spaceAttributes(const CredentialSpace& space)
{
    GHashTable* table = g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free);
    const auto put = [table](const char* key, const QString& value) {
        g_hash_table_insert(table, g_strdup(key), g_strdup(value.toUtf8().constData()));
    };
    put("kind", space.proxy ? QStringLiteral("proxy") : QStringLiteral("server"));
    put("host", space.host);
    put("port", QString::number(space.port));
    put("protocol", space.protocol);
    put("realm", space.realm);
    return table;
}

QString text(const char* value)
{
    return value ? QString::fromUtf8(value) : QString();
}

} // namespace

std::unique_ptr<SecretServiceStorage> SecretServiceStorage::connect()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return nullptr;
    GError* error = nullptr;
    // A service object of this store's own, not the library's shared one: a keyring daemon that was
    // started again is reached afresh.
    SecretService* service = secret_service_open_sync(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_OPEN_SESSION,
                                                      nullptr, &error);
    if (!service) {
        g_clear_error(&error);
        return nullptr;
    }
    // The service object is made even when nobody owns the name on the bus: ask for the
    // collections to learn whether a keyring answers.
    if (!secret_service_load_collections_sync(service, nullptr, &error)) {
        g_clear_error(&error);
        g_object_unref(service);
        return nullptr;
    }
    return std::unique_ptr<SecretServiceStorage>(new SecretServiceStorage(service));
}

SecretServiceStorage::~SecretServiceStorage()
{
    g_object_unref(static_cast<SecretService*>(service_));
}

bool SecretServiceStorage::save(const CredentialSpace& space, const StoredCredential& credential)
{
    std::lock_guard lock(mutex_);
    auto* service = static_cast<SecretService*>(service_);
    GHashTable* attributes = spaceAttributes(space);
    GError* error = nullptr;
    // One credential a space: what was there goes first.
    secret_service_clear_sync(service, schema(), attributes, nullptr, &error);
    g_clear_error(&error);
    g_hash_table_insert(attributes, g_strdup("user"), g_strdup(credential.user.toUtf8().constData()));
    const QByteArray label = QStringLiteral("Vantora: %1 on %2:%3")
                                 .arg(credential.user, space.host, QString::number(space.port))
                                 .toUtf8();
    const QByteArray password = credential.password.toUtf8();
    SecretValue* value = secret_value_new(password.constData(), password.size(), "text/plain");
    const bool stored = secret_service_store_sync(service, schema(), attributes, SECRET_COLLECTION_DEFAULT,
                                                  label.constData(), value, nullptr, &error);
    secret_value_unref(value);
    g_clear_error(&error);
    g_hash_table_unref(attributes);
    return stored;
}

std::optional<StoredCredential> SecretServiceStorage::find(const CredentialSpace& space)
{
    std::lock_guard lock(mutex_);
    auto* service = static_cast<SecretService*>(service_);
    GHashTable* attributes = spaceAttributes(space);
    GError* error = nullptr;
    const auto flags = SecretSearchFlags(SECRET_SEARCH_UNLOCK | SECRET_SEARCH_LOAD_SECRETS);
    GList* items = secret_service_search_sync(service, schema(), attributes, flags, nullptr, &error);
    g_hash_table_unref(attributes);
    g_clear_error(&error);
    std::optional<StoredCredential> found;
    if (items) {
        auto* item = static_cast<SecretItem*>(items->data);
        GHashTable* itemAttributes = secret_item_get_attributes(item);
        SecretValue* value = secret_item_get_secret(item);
        if (value) {
            found = StoredCredential {text(static_cast<const char*>(g_hash_table_lookup(itemAttributes, "user"))),
                                      text(secret_value_get_text(value))};
            secret_value_unref(value);
        }
        g_hash_table_unref(itemAttributes);
    }
    g_list_free_full(items, g_object_unref);
    return found;
}

void SecretServiceStorage::remove(const CredentialSpace& space)
{
    std::lock_guard lock(mutex_);
    GHashTable* attributes = spaceAttributes(space);
    GError* error = nullptr;
    secret_service_clear_sync(static_cast<SecretService*>(service_), schema(), attributes, nullptr, &error);
    g_clear_error(&error);
    g_hash_table_unref(attributes);
}
