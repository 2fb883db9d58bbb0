// SPDX-License-Identifier: GPL-3.0-or-later
#include "reliability/report_rows.h"

#include <cstdio>

void print_row(const std::string& table, const std::vector<std::string>& cells) {
    std::string line = "[" + table + "] |";
    for (const std::string& cell : cells)
        line += " " + cell + " |";
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void print_heading(const std::string& table, const std::vector<std::string>& titles) {
    print_row(table, titles);
    print_row(table, std::vector<std::string>(titles.size(), "---"));
}

void print_figure(const std::string& name, long value) {
    std::printf("[figure] %s %ld\n", name.c_str(), value);
    std::fflush(stdout);
}

std::string code_span(const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (c == '\t')
            shown += "\\t";
        else if (c == '\n')
            shown += "\\n";
        else if (c == '|')
            shown += "\\|";
        else
            shown += c;
    }
    return shown.empty() ? "(empty)" : "`" + shown + "`";
}

std::string seconds_text(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}
