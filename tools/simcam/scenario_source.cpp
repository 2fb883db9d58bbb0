#include "scenario_source.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace simcam {

bool ScenarioSource::refresh() {
    const char* variable = std::getenv("SIMCAM_SCENARIO");
    const std::string path = variable ? variable : "";
    std::string text;
    bool readable = true;
    if (!path.empty()) {
        std::ifstream in(path, std::ios::binary);
        readable = in.is_open();
        std::ostringstream content;
        if (readable)
            content << in.rdbuf();
        text = content.str();
    }
    if (loaded_ && path == path_ && text == text_)
        return false;
    if (!readable)
        std::fprintf(stderr, "simcam: cannot read scenario %s, using the default camera\n",
                     path.c_str());
    loaded_ = true;
    path_ = path;
    text_ = text;
    scenario_ = parse_scenario(text);
    return true;
}

} // namespace simcam
