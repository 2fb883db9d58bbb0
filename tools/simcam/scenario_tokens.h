// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace simcam {

// One word of a scenario line. `key=value` words are split at their first unquoted '='.
struct Token {
    std::string key;
    std::string value;
    bool has_key = false;
};

// Splits a line into words; "double-quoted" parts keep blanks and understand \" and \\.
// An unquoted '#' at the start of a word comments out the rest of the line.
std::vector<Token> split_tokens(const std::string& line);

} // namespace simcam
