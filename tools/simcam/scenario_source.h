// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scenario.h"

#include <string>

namespace simcam {

// Which file SIMCAM_SCENARIO names, and what it says (empty when there is none or it cannot be
// read).
struct ScenarioFile {
    std::string path;
    std::string text;
    bool readable = true;

    static ScenarioFile current();
    bool same_as(const ScenarioFile& other) const {
        return path == other.path && text == other.text;
    }
};

// The scenario named by SIMCAM_SCENARIO, read again on demand.
class ScenarioSource {
  public:
    // Reloads when the variable names another file or the file's text changed since the
    // last load; returns whether it did. Without the variable the camera is the default one.
    bool refresh();
    const Scenario& scenario() const { return scenario_; }
    // What the scenario was loaded from.
    const ScenarioFile& file() const { return file_; }

  private:
    bool loaded_ = false;
    ScenarioFile file_;
    Scenario scenario_;
};

} // namespace simcam
