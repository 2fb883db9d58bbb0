// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the sleep lock and keeps it until killed. Prints "held" once it holds it, or the
// reason it could not.
#include "platform/sleep_inhibitor.h"

#include <cstdio>
#include <glib.h>

int main() {
    bool refused = false;
    SleepInhibitor inhibitor([&](const std::string& text) {
        printf("%s\n", text.c_str());
        refused = true;
    });
    inhibitor.hold();
    while (!inhibitor.held() && !refused)
        g_main_context_iteration(nullptr, TRUE);
    if (refused)
        return 1;
    printf("held\n");
    fflush(stdout);
    g_main_loop_run(g_main_loop_new(nullptr, FALSE));
}
