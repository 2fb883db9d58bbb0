// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sleep_inhibitor.h"

#include <gio/gio.h>
#include <gio/gunixfdlist.h>
#include <unistd.h>

namespace {

constexpr int kAnswerTimeoutMs = 5000;
const std::string kNotHeldOff = "Sleep is not held off: ";
const std::string kNoBus = kNotHeldOff + "no system bus.";

} // namespace

// One request for the lock. It outlives its owner when the owner lets go before the answer, as
// GIO still calls back then.
struct SleepInhibitor::Request {
    SleepInhibitor* owner;
    GCancellable* cancellable = g_cancellable_new();
    GDBusConnection* connection = nullptr;

    explicit Request(SleepInhibitor* o) : owner(o) {}
    ~Request() {
        g_clear_object(&connection);
        g_object_unref(cancellable);
    }

    void abandon() {
        owner = nullptr;
        g_cancellable_cancel(cancellable);
    }

    // The request, or null once its owner has let go: the answer (a lock included) is then left
    // to GIO, which closes it.
    static Request* wanted(gpointer data) {
        auto* request = static_cast<Request*>(data);
        if (request->owner)
            return request;
        delete request;
        return nullptr;
    }

    // Hands the lock (fd) or the reason for its absence to the owner, and ends the request.
    void settle(int fd, const std::string& refusal) {
        owner->request_ = nullptr;
        if (fd >= 0)
            owner->fd_ = fd;
        else
            owner->refused(refusal);
        delete this;
    }

    static void connected(GObject*, GAsyncResult* result, gpointer data);
    static void answered(GObject* source, GAsyncResult* result, gpointer data);
};

void SleepInhibitor::Request::connected(GObject*, GAsyncResult* result, gpointer data) {
    Request* request = wanted(data);
    if (!request)
        return;
    GError* error = nullptr;
    request->connection = g_dbus_connection_new_for_address_finish(result, &error);
    if (!request->connection) {
        g_error_free(error);
        request->settle(-1, kNoBus);
        return;
    }
    g_dbus_connection_call_with_unix_fd_list(
        request->connection, "org.freedesktop.login1", "/org/freedesktop/login1",
        "org.freedesktop.login1.Manager", "Inhibit",
        g_variant_new("(ssss)", "sleep:idle", "Vantlow", "A time-lapse series is under way.",
                      "block"),
        G_VARIANT_TYPE("(h)"), G_DBUS_CALL_FLAGS_NONE, kAnswerTimeoutMs, nullptr,
        request->cancellable, answered, request);
}

void SleepInhibitor::Request::answered(GObject* source, GAsyncResult* result, gpointer data) {
    Request* request = wanted(data);
    if (!request)
        return;
    GError* error = nullptr;
    GUnixFDList* fds = nullptr;
    GVariant* reply = g_dbus_connection_call_with_unix_fd_list_finish(G_DBUS_CONNECTION(source),
                                                                      &fds, result, &error);
    int fd = -1;
    if (reply) {
        gint32 index = 0;
        g_variant_get(reply, "(h)", &index);
        g_variant_unref(reply);
        // A close-on-exec copy, so that a program started later cannot keep the machine awake
        // after Vantlow has gone; the list closes the original.
        fd = fds ? g_unix_fd_list_get(fds, index, &error) : -1;
        g_clear_object(&fds);
    }
    std::string refusal;
    if (fd < 0) {
        if (!error)
            refusal = kNotHeldOff + "logind gave no lock.";
        else if (g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
                 g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER))
            refusal = kNotHeldOff + "no logind on the system bus.";
        else {
            g_dbus_error_strip_remote_error(error);
            refusal = kNotHeldOff + error->message;
        }
    }
    g_clear_error(&error);
    request->settle(fd, refusal);
}

SleepInhibitor::SleepInhibitor(Notice notice) : notice_(std::move(notice)) {}

SleepInhibitor::~SleepInhibitor() {
    release();
}

void SleepInhibitor::hold() {
    if (held() || waiting())
        return;
    GError* error = nullptr;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, &error);
    if (!address) {
        g_error_free(error);
        refused(kNoBus);
        return;
    }
    // A connection of our own: the shared system bus connection ends the program when the bus
    // goes away, and keeps its address for good.
    request_ = new Request(this);
    g_dbus_connection_new_for_address(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, request_->cancellable, Request::connected, request_);
    g_free(address);
}

void SleepInhibitor::release() {
    if (request_) {
        request_->abandon();
        request_ = nullptr;
    }
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

void SleepInhibitor::refused(const std::string& text) {
    if (told_)
        return;
    told_ = true;
    notice_(text);
}
