// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace simcam {

// A file name with one printf-style integer conversion, such as IMG_%04d.JPG.
class NamePattern {
  public:
    // Accepts exactly one %d (or %i, %u) with an optional 0 flag and width; %% is a literal.
    static std::optional<NamePattern> parse(const std::string& pattern);
    std::string format(int number) const;

  private:
    std::string prefix_;
    std::string suffix_;
    int width_ = 0;
    bool zero_pad_ = false;
};

} // namespace simcam
