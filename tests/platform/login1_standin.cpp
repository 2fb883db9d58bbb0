// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for logind on a private bus: owns org.freedesktop.login1 and answers
// Manager.Inhibit as logind does, with the writing end of a pipe whose reading end it keeps.
// Appends to LOG one line per call and one when the caller's end is closed:
//   inhibit N what=... who=... why=... mode=...
//   released N
// Prints "ready" once it owns the name.
//   login1_standin BUS_ADDRESS LOG [ANSWER_DELAY_MS]
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <gio/gio.h>
#include <gio/gunixfdlist.h>
#include <glib-unix.h>
#include <unistd.h>

namespace {

const char* const kInterface = R"(<node>
  <interface name="org.freedesktop.login1.Manager">
    <method name="Inhibit">
      <arg name="what" type="s" direction="in"/>
      <arg name="who" type="s" direction="in"/>
      <arg name="why" type="s" direction="in"/>
      <arg name="mode" type="s" direction="in"/>
      <arg name="pipe_fd" type="h" direction="out"/>
    </method>
  </interface>
</node>)";

FILE* log_file = nullptr;
unsigned answer_delay_ms = 0;
int inhibitors = 0;

void log_line(const gchar* line) {
    fprintf(log_file, "%s\n", line);
    fflush(log_file);
}

struct Inhibitor {
    int number;
    int read_end;
};

gboolean on_caller_end(gint, GIOCondition, gpointer data) {
    auto* inhibitor = static_cast<Inhibitor*>(data);
    char byte;
    if (read(inhibitor->read_end, &byte, 1) > 0)
        return G_SOURCE_CONTINUE;
    gchar* line = g_strdup_printf("released %d", inhibitor->number);
    log_line(line);
    g_free(line);
    close(inhibitor->read_end);
    delete inhibitor;
    return G_SOURCE_REMOVE;
}

struct Answer {
    GDBusMethodInvocation* invocation;
    int write_end;
};

gboolean send_answer(gpointer data) {
    auto* answer = static_cast<Answer*>(data);
    GUnixFDList* fds = g_unix_fd_list_new();
    const gint index = g_unix_fd_list_append(fds, answer->write_end, nullptr);
    close(answer->write_end);
    g_dbus_method_invocation_return_value_with_unix_fd_list(answer->invocation,
                                                            g_variant_new("(h)", index), fds);
    g_object_unref(fds);
    delete answer;
    return G_SOURCE_REMOVE;
}

void on_call(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
             GVariant* parameters, GDBusMethodInvocation* invocation, gpointer) {
    const gchar *what, *who, *why, *mode;
    g_variant_get(parameters, "(&s&s&s&s)", &what, &who, &why, &mode);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        g_dbus_method_invocation_return_error(invocation, G_IO_ERROR, G_IO_ERROR_FAILED, "pipe");
        return;
    }
    const int number = ++inhibitors;
    gchar* line =
        g_strdup_printf("inhibit %d what=%s who=%s why=%s mode=%s", number, what, who, why, mode);
    log_line(line);
    g_free(line);
    g_unix_fd_add(ends[0], static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR), on_caller_end,
                  new Inhibitor{number, ends[0]});
    g_timeout_add(answer_delay_ms, send_answer, new Answer{invocation, ends[1]});
}

void on_name(GDBusConnection*, const gchar*, gpointer) {
    printf("ready\n");
    fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s BUS_ADDRESS LOG [ANSWER_DELAY_MS]\n", argv[0]);
        return 2;
    }
    log_file = fopen(argv[2], "a");
    if (!log_file)
        return 1;
    if (argc > 3)
        answer_delay_ms = static_cast<unsigned>(atoi(argv[3]));
    GError* error = nullptr;
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        argv[1],
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    GDBusNodeInfo* node = bus ? g_dbus_node_info_new_for_xml(kInterface, &error) : nullptr;
    if (!node) {
        fprintf(stderr, "%s\n", error->message);
        return 1;
    }
    const GDBusInterfaceVTable vtable{on_call, nullptr, nullptr, {}};
    g_dbus_connection_register_object(bus, "/org/freedesktop/login1", node->interfaces[0], &vtable,
                                      nullptr, nullptr, nullptr);
    g_bus_own_name_on_connection(bus, "org.freedesktop.login1", G_BUS_NAME_OWNER_FLAGS_NONE,
                                 on_name, nullptr, nullptr, nullptr);
    g_main_loop_run(g_main_loop_new(nullptr, FALSE));
}
