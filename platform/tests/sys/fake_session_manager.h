// A private session bus (a dbus-daemon of the test's own) with a session manager on
// it that keeps a log of the calls it hears (registrations, inhibits, answers) and
// sends its clients the end-of-session signals. The environment's bus address
// points at the private bus while the object lives.
#pragma once

#include <gio/gio.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/sys/glib_context_thread.h"

namespace ql::testing {

class FakeSessionManager {
public:
    static constexpr char kClientPath[] = "/org/gnome/SessionManager/Client1";

    // With `ownName` false the bus runs without a manager on it.
    explicit FakeSessionManager(bool ownName = true) {
        if (!StartDaemon()) return;
        GError* error = nullptr;
        const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                             G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
        bus_ = g_dbus_connection_new_for_address_sync(address_.c_str(), flags, nullptr, nullptr, &error);
        if (bus_ == nullptr) {
            g_error_free(error);
            return;
        }
        const char* previous = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        if (previous != nullptr) previousAddress_ = previous;
        setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
        served_.Adopt([this] {
            Register(kManager, "/org/gnome/SessionManager");
            Register(kClient, kClientPath);
        });
        served_.Start();
        if (!ownName) {
            ready_ = true;
            return;
        }
        GVariant* owned = g_dbus_connection_call_sync(
            bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
            g_variant_new("(su)", "org.gnome.SessionManager", 4u), G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE,
            5000, nullptr, nullptr);
        if (owned != nullptr) {
            g_variant_unref(owned);
            ready_ = true;
        }
    }

    ~FakeSessionManager() {
        served_.Stop();
        for (guint id : objects_) g_dbus_connection_unregister_object(bus_, id);
        if (bus_ != nullptr) {
            g_dbus_connection_close_sync(bus_, nullptr, nullptr);
            g_object_unref(bus_);
            if (previousAddress_)
                setenv("DBUS_SESSION_BUS_ADDRESS", previousAddress_->c_str(), 1);
            else
                unsetenv("DBUS_SESSION_BUS_ADDRESS");
        }
        if (daemon_ != nullptr) {
            g_subprocess_force_exit(daemon_);
            g_subprocess_wait(daemon_, nullptr, nullptr);
            g_object_unref(daemon_);
        }
    }

    FakeSessionManager(const FakeSessionManager&) = delete;
    FakeSessionManager& operator=(const FakeSessionManager&) = delete;

    // False when no dbus-daemon could be started.
    bool Ready() const { return ready_; }

    // The calls heard, in order: "RegisterClient <app>", "UnregisterClient",
    // "Inhibit <app> <reason> <flags>", "Uninhibit", "EndSessionResponse <0|1> <reason>".
    std::vector<std::string> Calls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    // Waits (up to two seconds) until a call starting with `prefix` has been heard
    // `count` times.
    bool WaitForCall(const std::string& prefix, size_t count = 1) const {
        std::unique_lock<std::mutex> lock(mutex_);
        return heard_.wait_for(lock, std::chrono::seconds(2), [&] { return Count(prefix) >= count; });
    }
    size_t CountCalls(const std::string& prefix) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return Count(prefix);
    }

    // Signals to the client: "QueryEndSession", "EndSession" (flags 0) or "Stop".
    void Send(const char* signal) {
        GVariant* arguments = std::string_view(signal) == "Stop" ? nullptr : g_variant_new("(u)", 0u);
        g_dbus_connection_emit_signal(bus_, nullptr, kClientPath, "org.gnome.SessionManager.ClientPrivate", signal,
                                      arguments, nullptr);
        g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
    }

private:
    static constexpr char kManager[] =
        "<node><interface name='org.gnome.SessionManager'>"
        "<method name='RegisterClient'><arg type='s' direction='in'/><arg type='s' direction='in'/>"
        "<arg type='o' direction='out'/></method>"
        "<method name='UnregisterClient'><arg type='o' direction='in'/></method>"
        "<method name='Inhibit'><arg type='s' direction='in'/><arg type='u' direction='in'/>"
        "<arg type='s' direction='in'/><arg type='u' direction='in'/><arg type='u' direction='out'/></method>"
        "<method name='Uninhibit'><arg type='u' direction='in'/></method>"
        "</interface></node>";
    static constexpr char kClient[] =
        "<node><interface name='org.gnome.SessionManager.ClientPrivate'>"
        "<method name='EndSessionResponse'><arg type='b' direction='in'/><arg type='s' direction='in'/></method>"
        "</interface></node>";

    bool StartDaemon() {
        GError* error = nullptr;
        daemon_ = g_subprocess_new(G_SUBPROCESS_FLAGS_STDOUT_PIPE, &error, "dbus-daemon", "--session", "--nofork",
                                   "--print-address", nullptr);
        if (daemon_ == nullptr) {
            g_error_free(error);
            return false;
        }
        GDataInputStream* out = g_data_input_stream_new(g_subprocess_get_stdout_pipe(daemon_));
        gchar* line = g_data_input_stream_read_line(out, nullptr, nullptr, nullptr);
        g_object_unref(out);
        if (line == nullptr) return false;
        address_ = line;
        g_free(line);
        return !address_.empty();
    }

    void Register(const char* xml, const char* path) {
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(xml, nullptr);
        static const GDBusInterfaceVTable kTable = {OnCall, nullptr, nullptr, {}};
        objects_.push_back(
            g_dbus_connection_register_object(bus_, path, node->interfaces[0], &kTable, this, nullptr, nullptr));
        g_dbus_node_info_unref(node);
    }

    static void OnCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                       GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
        auto* self = static_cast<FakeSessionManager*>(data);
        const std::string name(method);
        std::string call = name;
        GVariant* reply = nullptr;
        if (name == "RegisterClient") {
            const gchar* app = nullptr;
            g_variant_get(parameters, "(&s&s)", &app, nullptr);
            call += " " + std::string(app);
            reply = g_variant_new("(o)", kClientPath);
        } else if (name == "Inhibit") {
            const gchar* app = nullptr;
            const gchar* reason = nullptr;
            guint32 flags = 0;
            g_variant_get(parameters, "(&su&su)", &app, nullptr, &reason, &flags);
            call += " " + std::string(app) + " " + reason + " " + std::to_string(flags);
            reply = g_variant_new("(u)", 7u);
        } else if (name == "EndSessionResponse") {
            gboolean ok = FALSE;
            const gchar* reason = nullptr;
            g_variant_get(parameters, "(b&s)", &ok, &reason);
            call += std::string(ok ? " 1 " : " 0 ") + reason;
        }
        {
            // Logged before the reply, so that a caller's next step sees it.
            std::lock_guard<std::mutex> lock(self->mutex_);
            self->calls_.push_back(call);
            self->heard_.notify_all();
        }
        g_dbus_method_invocation_return_value(invocation, reply);
    }

    size_t Count(const std::string& prefix) const {
        size_t n = 0;
        for (const std::string& call : calls_) n += call.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    GSubprocess* daemon_ = nullptr;
    std::string address_;
    std::optional<std::string> previousAddress_;
    GDBusConnection* bus_ = nullptr;
    sys::GlibContextThread served_;  // where the manager's objects answer
    std::vector<guint> objects_;
    bool ready_ = false;
    mutable std::mutex mutex_;
    mutable std::condition_variable heard_;
    std::vector<std::string> calls_;
};

}  // namespace ql::testing
