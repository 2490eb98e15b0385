#include "Keyring.h"

#include <libsecret/secret.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <stop_token>
#include <thread>

namespace korvalin {
namespace {

constexpr const char* kSecretsBusName = "org.freedesktop.secrets";

const SecretSchema* PasswordSchema()
{
    static const SecretSchema schema = {
        "org.korvalin.Mail.Password",
        SECRET_SCHEMA_NONE,
        {
            {"program", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"provider", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"login", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
        },
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return &schema;
}

// Cancels a call that has not ended within its time-out.
class Deadline {
public:
    Deadline(GCancellable* cancellable, std::chrono::milliseconds timeout)
        : thread_([cancellable, timeout](std::stop_token stop) {
              std::mutex mutex;
              std::condition_variable_any wake;
              std::unique_lock lock(mutex);
              wake.wait_for(lock, stop, timeout, [] { return false; });
              if (!stop.stop_requested())
                  g_cancellable_cancel(cancellable);
          })
    {
    }

private:
    std::jthread thread_;
};

// One bounded call: its cancellable, its deadline and its error.
class Call {
public:
    explicit Call(std::chrono::milliseconds timeout)
        : cancellable_(g_cancellable_new()), deadline_(std::make_unique<Deadline>(cancellable_, timeout))
    {
    }
    ~Call()
    {
        deadline_.reset();
        if (error_ != nullptr)
            g_error_free(error_);
        g_object_unref(cancellable_);
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    GCancellable* Cancellable() const { return cancellable_; }
    GError** ErrorSlot() { return &error_; }
    bool Failed() const { return error_ != nullptr; }
    std::string Why(const char* what) const
    {
        if (g_cancellable_is_cancelled(cancellable_))
            return std::string(what) + ": the keyring did not answer in time (locked, or the unlock was not answered)";
        return std::string(what) + ": " + (error_ != nullptr ? error_->message : "the keyring refused");
    }

private:
    GCancellable* cancellable_;
    std::unique_ptr<Deadline> deadline_;
    GError* error_ = nullptr;
};

bool SessionBusConfigured(std::string* why)
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0')
        return true;
    // Without an address, the bus is looked for at its standard place only:
    // no attempt to start one (which could wait for a display).
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    if (runtime != nullptr && *runtime != '\0' &&
        std::filesystem::is_socket(std::filesystem::path(runtime) / "bus", error))
        return true;
    *why = "no session bus runs";
    return false;
}

// Whether the connection's bus lists name among its owners or its activatable services.
bool BusKnowsName(GDBusConnection* bus, const char* method, const char* name, std::chrono::milliseconds timeout,
                  std::string* why)
{
    GError* error = nullptr;
    const bool byOwner = std::string(method) == "NameHasOwner";
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
        byOwner ? g_variant_new("(s)", name) : nullptr, byOwner ? G_VARIANT_TYPE("(b)") : G_VARIANT_TYPE("(as)"),
        G_DBUS_CALL_FLAGS_NONE, static_cast<int>(timeout.count()), nullptr, &error);
    if (reply == nullptr) {
        *why = std::string("the session bus does not answer: ") + error->message;
        g_error_free(error);
        return false;
    }
    bool found = false;
    if (byOwner) {
        gboolean owned = FALSE;
        g_variant_get(reply, "(b)", &owned);
        found = owned != FALSE;
    } else {
        GVariantIter* names = nullptr;
        g_variant_get(reply, "(as)", &names);
        const gchar* each = nullptr;
        while (!found && g_variant_iter_next(names, "&s", &each))
            found = std::string(each) == name;
        g_variant_iter_free(names);
    }
    g_variant_unref(reply);
    return found;
}

class SecretServiceKeyring : public PasswordKeyring {
public:
    explicit SecretServiceKeyring(std::chrono::milliseconds timeout) : timeout_(timeout) {}

    bool Reachable(std::string* why) override
    {
        std::string reason;
        if (!SessionBusConfigured(&reason)) {
            *why = reason;
            return false;
        }
        Call call(timeout_);
        GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, call.Cancellable(), call.ErrorSlot());
        if (bus == nullptr) {
            *why = call.Why("the session bus cannot be reached");
            return false;
        }
        std::string busWhy;
        bool found = BusKnowsName(bus, "NameHasOwner", kSecretsBusName, timeout_, &busWhy) ||
                     (busWhy.empty() && BusKnowsName(bus, "ListActivatableNames", kSecretsBusName, timeout_, &busWhy));
        g_object_unref(bus);
        if (!found)
            *why = busWhy.empty() ? std::string("no Secret Service runs on the session bus") : busWhy;
        return found;
    }

    KeyringLookup Lookup(const std::string& provider, const std::string& login) override
    {
        KeyringLookup result;
        Call call(timeout_);
        gchar* password =
            secret_password_lookup_sync(PasswordSchema(), call.Cancellable(), call.ErrorSlot(), "program",
                                        kKeyringProgram, "provider", provider.c_str(), "login", login.c_str(), nullptr);
        if (password != nullptr) {
            result.state = KeyringLookup::State::Found;
            result.password = password;
            secret_password_free(password);
        } else if (call.Failed() || g_cancellable_is_cancelled(call.Cancellable())) {
            result.state = KeyringLookup::State::Failed;
            result.error = call.Why("reading a password");
        }
        return result;
    }

    Status Store(const std::string& provider, const std::string& login, const std::string& password) override
    {
        Call call(timeout_);
        const std::string label = KeyringLabel(provider, login);
        gboolean stored = secret_password_store_sync(
            PasswordSchema(), SECRET_COLLECTION_DEFAULT, label.c_str(), password.c_str(), call.Cancellable(),
            call.ErrorSlot(), "program", kKeyringProgram, "provider", provider.c_str(), "login", login.c_str(),
            nullptr);
        if (!stored)
            return Status::Failure(call.Why("storing a password"));
        return Status::Ok();
    }

    Status Remove(const std::string& provider, const std::string& login) override
    {
        Call call(timeout_);
        secret_password_clear_sync(PasswordSchema(), call.Cancellable(), call.ErrorSlot(), "program", kKeyringProgram,
                                   "provider", provider.c_str(), "login", login.c_str(), nullptr);
        // Clearing nothing is no failure.
        if (call.Failed() || g_cancellable_is_cancelled(call.Cancellable()))
            return Status::Failure(call.Why("deleting a password"));
        return Status::Ok();
    }

private:
    std::chrono::milliseconds timeout_;
};

}  // namespace

std::string KeyringLabel(const std::string& provider, const std::string& login)
{
    return "Korvalin Mail password for " + login + " on " + provider;
}

std::unique_ptr<PasswordKeyring> MakeSecretServiceKeyring(std::chrono::milliseconds timeout)
{
    return std::make_unique<SecretServiceKeyring>(timeout);
}

std::unique_ptr<PasswordKeyring> MakeProgramKeyring()
{
    const char* choice = std::getenv("KORVALIN_KEYRING");
    if (choice != nullptr && std::string(choice) == "off")
        return nullptr;
    std::chrono::milliseconds timeout(30000);
    if (const char* seconds = std::getenv("KORVALIN_KEYRING_TIMEOUT")) {
        char* end = nullptr;
        const long value = std::strtol(seconds, &end, 10);
        if (end != seconds && *end == '\0' && value > 0 && value <= 600)
            timeout = std::chrono::seconds(value);
    }
    return MakeSecretServiceKeyring(timeout);
}

}  // namespace korvalin
