// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <wx/init.h>

int main(int argc, char** argv) {
    // The program's own options need no display; the toolkit would insist on one.
    Command command = parse_command_line(argc, argv);
    if (command.action != CommandAction::OpenWindow)
        return run_command(command);
    return wxEntry(argc, argv);
}
