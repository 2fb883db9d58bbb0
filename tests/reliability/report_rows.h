// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// Prints one row of a Markdown table to the terminal, tagged "[table] " so that
// scripts/reliability-report can gather the tables from the tests' output. The program's own
// console (std::cout) is usually captured by the test, so this writes to stdout directly.
void print_row(const std::string& table, const std::vector<std::string>& cells);
// Prints the heading row and the separator under it.
void print_heading(const std::string& table, const std::vector<std::string>& titles);
// Prints one figure for the report's summary, "[figure] name value"; the report adds up the
// values of each name.
void print_figure(const std::string& name, long value);

// The text as a Markdown code span, with tabs and line breaks made visible.
std::string code_span(const std::string& text);
// Seconds with two decimals.
std::string seconds_text(double seconds);
