// SPDX-License-Identifier: GPL-3.0-or-later
#include "name_pattern.h"

#include <cctype>

namespace simcam {

std::optional<NamePattern> NamePattern::parse(const std::string& pattern) {
    NamePattern result;
    bool converted = false;
    std::string* out = &result.prefix_;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            *out += pattern[i];
            continue;
        }
        if (++i < pattern.size() && pattern[i] == '%') {
            *out += '%';
            continue;
        }
        if (converted)
            return std::nullopt;
        if (i < pattern.size() && pattern[i] == '0') {
            result.zero_pad_ = true;
            ++i;
        }
        while (i < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[i])) &&
               result.width_ < 100)
            result.width_ = result.width_ * 10 + (pattern[i++] - '0');
        if (i >= pattern.size() || (pattern[i] != 'd' && pattern[i] != 'i' && pattern[i] != 'u'))
            return std::nullopt;
        converted = true;
        out = &result.suffix_;
    }
    if (!converted)
        return std::nullopt;
    return result;
}

std::string NamePattern::format(int number) const {
    std::string digits = std::to_string(number);
    if (static_cast<int>(digits.size()) < width_)
        digits.insert(0, width_ - digits.size(), zero_pad_ ? '0' : ' ');
    return prefix_ + digits + suffix_;
}

} // namespace simcam
