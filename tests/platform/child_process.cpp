// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/child_process.h"

#include <glib.h>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<char*> c_strings(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (auto& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// A test that crashes or times out leaves no bus or service behind.
void end_with_parent(gpointer) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env) {
    std::vector<std::string> args = argv;
    char** environment = g_get_environ();
    for (const auto& entry : env) {
        const auto equals = entry.find('=');
        environment = g_environ_setenv(environment, entry.substr(0, equals).c_str(),
                                       entry.substr(equals + 1).c_str(), TRUE);
    }
    std::vector<char*> arg_pointers = c_strings(args);
    GError* error = nullptr;
    const bool started = g_spawn_async_with_pipes(
        nullptr, arg_pointers.data(), environment,
        static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), end_with_parent,
        nullptr, &pid_, nullptr, &out_, nullptr, &error);
    g_strfreev(environment);
    if (!started) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot start " + argv.front() + ": " + message);
    }
}

ChildProcess::~ChildProcess() {
    kill_with(SIGTERM);
    close(out_);
}

std::string ChildProcess::read_line(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto newline = buffered_.find('\n');
        if (newline != std::string::npos) {
            std::string line = buffered_.substr(0, newline);
            buffered_.erase(0, newline + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd readable{out_, POLLIN, 0};
        if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0)
            return {};
        char chunk[256];
        const ssize_t got = read(out_, chunk, sizeof chunk);
        if (got <= 0)
            return {};
        buffered_.append(chunk, static_cast<size_t>(got));
    }
}

void ChildProcess::kill_with(int signal) {
    if (pid_ < 0)
        return;
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}
