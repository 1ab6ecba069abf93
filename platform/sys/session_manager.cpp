// The session manager's link (see session_manager.h): a private connection to the
// session bus; the client's signals are heard on a thread of the link's own, whose
// main context runs nothing else, so the program's loop (GTK's or the headless
// one) need not run GLib's. Calls to the manager are made from the program's
// thread, synchronously and with a short timeout.
#include "platform/sys/session_manager.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "platform/sys/glib_context_thread.h"

namespace ql::sys {
namespace {

constexpr char kManagerName[] = "org.gnome.SessionManager";
constexpr char kManagerPath[] = "/org/gnome/SessionManager";
constexpr char kManagerInterface[] = "org.gnome.SessionManager";
constexpr char kClientInterface[] = "org.gnome.SessionManager.ClientPrivate";
constexpr int kCallTimeoutMs = 2000;
constexpr guint kInhibitLogout = 1;

struct Link {
    GDBusConnection* bus = nullptr;
    GlibContextThread signals;  // where the client's signals are heard
    guint subscription = 0;
    std::string appId;
    std::string clientPath;
    SessionEndRequests requests;
    uint32_t cookie = 0;
    bool inhibited = false;
};

std::mutex& LinkMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<Link>& TheLink() {
    static std::unique_ptr<Link> link;
    return link;
}

GVariant* CallManager(GDBusConnection* bus, const char* path, const char* interface, const char* method,
                      GVariant* arguments, const GVariantType* reply) {
    GError* error = nullptr;
    GVariant* result = g_dbus_connection_call_sync(bus, kManagerName, path, interface, method, arguments, reply,
                                                   G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr, &error);
    if (error != nullptr) g_error_free(error);
    return result;
}

void OnClientSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* signal, GVariant*,
                    gpointer data) {
    const SessionEndRequests& requests = static_cast<Link*>(data)->requests;
    const std::string_view name(signal);
    if (name == "QueryEndSession") {
        if (requests.queryEnd) requests.queryEnd();
    } else if (name == "EndSession" || name == "Stop") {
        if (requests.endSession) requests.endSession();
    }
}

// The session's bus as the session names it: its address in the environment, or
// the user's bus socket. (Not GIO's last resort, which starts a bus of its own on
// the X display: a bus without a session has no manager on it.)
std::string SessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address != nullptr && *address != '\0')
        return address;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') return {};
    const std::string socket = std::string(runtime) + "/bus";
    struct stat info {};
    if (stat(socket.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) return {};
    gchar* escaped = g_dbus_address_escape_value(socket.c_str());
    std::string address = std::string("unix:path=") + escaped;
    g_free(escaped);
    return address;
}

GDBusConnection* OpenSessionBus() {
    const std::string address = SessionBusAddress();
    if (address.empty()) return nullptr;
    GError* error = nullptr;
    const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                         G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(address.c_str(), flags, nullptr, nullptr, &error);
    if (bus == nullptr) g_error_free(error);
    return bus;
}

// The manager hands a client it started its own id through the environment.
std::string TakeStartupId() {
    const char* id = std::getenv("DESKTOP_AUTOSTART_ID");
    std::string taken = id != nullptr ? id : "";
    unsetenv("DESKTOP_AUTOSTART_ID");
    return taken;
}

void Close(std::unique_ptr<Link> link) {
    if (!link) return;
    if (link->inhibited) {
        if (GVariant* done = CallManager(link->bus, kManagerPath, kManagerInterface, "Uninhibit",
                                         g_variant_new("(u)", link->cookie), nullptr))
            g_variant_unref(done);
    }
    if (!link->clientPath.empty()) {
        if (GVariant* done = CallManager(link->bus, kManagerPath, kManagerInterface, "UnregisterClient",
                                         g_variant_new("(o)", link->clientPath.c_str()), nullptr))
            g_variant_unref(done);
    }
    if (link->subscription != 0) g_dbus_connection_signal_unsubscribe(link->bus, link->subscription);
    link->signals.Stop();
    g_dbus_connection_close_sync(link->bus, nullptr, nullptr);
    g_object_unref(link->bus);
}

}  // namespace

bool ConnectSessionManager(std::string_view appId, SessionEndRequests requests) {
    DisconnectSessionManager();
    GDBusConnection* bus = OpenSessionBus();
    if (bus == nullptr) return false;
    auto link = std::make_unique<Link>();
    link->bus = bus;
    link->appId = std::string(appId);
    link->requests = std::move(requests);
    const std::string startupId = TakeStartupId();
    GVariant* client = CallManager(bus, kManagerPath, kManagerInterface, "RegisterClient",
                                   g_variant_new("(ss)", link->appId.c_str(), startupId.c_str()),
                                   G_VARIANT_TYPE("(o)"));
    if (client == nullptr) {
        Close(std::move(link));
        return false;
    }
    const gchar* path = nullptr;
    g_variant_get(client, "(&o)", &path);
    link->clientPath = path;
    g_variant_unref(client);
    // The subscription delivers to the context current when it is made.
    link->subscription = link->signals.Adopt([&] {
        return g_dbus_connection_signal_subscribe(bus, kManagerName, kClientInterface, nullptr,
                                                  link->clientPath.c_str(), nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                  OnClientSignal, link.get(), nullptr);
    });
    // The bus takes the subscription's match rule in order: once a call made after
    // it is answered, no signal sent from now on is missed.
    if (GVariant* id = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                   "org.freedesktop.DBus", "GetId", nullptr, nullptr,
                                                   G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr))
        g_variant_unref(id);
    link->signals.Start();
    std::lock_guard<std::mutex> lock(LinkMutex());
    TheLink() = std::move(link);
    return true;
}

void DisconnectSessionManager() {
    std::unique_ptr<Link> link;
    {
        std::lock_guard<std::mutex> lock(LinkMutex());
        link = std::move(TheLink());
    }
    Close(std::move(link));
}

bool IsSessionManagerConnected() {
    std::lock_guard<std::mutex> lock(LinkMutex());
    return TheLink() != nullptr;
}

void AnswerSessionEnd(bool ok, std::string_view reason) {
    std::lock_guard<std::mutex> lock(LinkMutex());
    Link* link = TheLink().get();
    if (link == nullptr) return;
    const std::string text(reason);
    if (GVariant* done = CallManager(link->bus, link->clientPath.c_str(), kClientInterface, "EndSessionResponse",
                                     g_variant_new("(bs)", ok ? TRUE : FALSE, text.c_str()), nullptr))
        g_variant_unref(done);
}

bool SetLogoutInhibit(bool on, std::string_view reason) {
    std::lock_guard<std::mutex> lock(LinkMutex());
    Link* link = TheLink().get();
    if (link == nullptr) return !on;
    if (link->inhibited == on) return true;
    if (on) {
        const std::string text(reason);
        GVariant* cookie = CallManager(link->bus, kManagerPath, kManagerInterface, "Inhibit",
                                       g_variant_new("(susu)", link->appId.c_str(), 0u, text.c_str(), kInhibitLogout),
                                       G_VARIANT_TYPE("(u)"));
        if (cookie == nullptr) return false;
        g_variant_get(cookie, "(u)", &link->cookie);
        g_variant_unref(cookie);
        link->inhibited = true;
        return true;
    }
    GVariant* done = CallManager(link->bus, kManagerPath, kManagerInterface, "Uninhibit",
                                 g_variant_new("(u)", link->cookie), nullptr);
    if (done == nullptr) return false;
    g_variant_unref(done);
    link->inhibited = false;
    return true;
}

bool IsLogoutInhibited() {
    std::lock_guard<std::mutex> lock(LinkMutex());
    return TheLink() != nullptr && TheLink()->inhibited;
}

}  // namespace ql::sys
