// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario_source.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

namespace simcam {

ScenarioFile ScenarioFile::current() {
    const char* variable = std::getenv("SIMCAM_SCENARIO");
    ScenarioFile file;
    file.path = variable ? variable : "";
    if (!file.path.empty()) {
        std::ifstream in(file.path, std::ios::binary);
        file.readable = in.is_open();
        std::ostringstream content;
        if (file.readable)
            content << in.rdbuf();
        file.text = content.str();
    }
    return file;
}

bool ScenarioSource::refresh() {
    ScenarioFile file = ScenarioFile::current();
    if (loaded_ && file.same_as(file_))
        return false;
    if (!file.readable)
        std::fprintf(stderr, "simcam: cannot read scenario %s, using the default camera\n",
                     file.path.c_str());
    loaded_ = true;
    file_ = std::move(file);
    scenario_ = parse_scenario(file_.text);
    return true;
}

} // namespace simcam
