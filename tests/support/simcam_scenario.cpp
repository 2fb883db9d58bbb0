// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/simcam_scenario.h"

#include <cstdlib>
#include <sstream>

namespace {

const char kVariable[] = "SIMCAM_SCENARIO";

std::string quoted(const std::string& text) {
    std::string result = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            result += '\\';
        result += c;
    }
    return result + "\"";
}

} // namespace

SimcamScenario::SimcamScenario(const std::string& text)
    : path_(dir_.file("test.scenario")), log_path_(dir_.file("ops.log")) {
    replace(text);
    if (const char* previous = std::getenv(kVariable))
        previous_ = previous;
    setenv(kVariable, path_.c_str(), 1);
}

SimcamScenario::~SimcamScenario() {
    if (previous_)
        setenv(kVariable, previous_->c_str(), 1);
    else
        unsetenv(kVariable);
}

void SimcamScenario::replace(const std::string& text) const {
    std::string content = text;
    if (!content.empty() && content.back() != '\n')
        content += '\n';
    write_file(path_, content + "log " + quoted(log_path_) + "\n");
}

std::vector<std::string> SimcamScenario::log() const {
    std::vector<std::string> lines;
    std::istringstream in(read_file(log_path_));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

int SimcamScenario::count(const std::string& prefix) const {
    int matches = 0;
    for (const std::string& line : log())
        if (line.compare(0, prefix.size(), prefix) == 0)
            ++matches;
    return matches;
}

void SimcamScenario::clear_log() const {
    write_file(log_path_, "");
}
