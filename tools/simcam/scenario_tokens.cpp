// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario_tokens.h"

#include <cctype>

namespace simcam {

std::vector<Token> split_tokens(const std::string& line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        if (line[i] == '#')
            break;
        Token token;
        std::string text;
        bool quoted = false;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
            char c = line[i++];
            if (c == '=' && !quoted && !token.has_key) {
                token.has_key = true;
                token.key = text;
                text.clear();
            } else if (c == '"') {
                quoted = true;
                // An unterminated quote runs to the end of the line.
                while (i < line.size() && line[i] != '"') {
                    if (line[i] == '\\' && i + 1 < line.size())
                        ++i;
                    text += line[i++];
                }
                ++i;
            } else {
                text += c;
            }
        }
        token.value = text;
        tokens.push_back(token);
    }
    return tokens;
}

} // namespace simcam
