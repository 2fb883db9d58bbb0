#pragma once

#include "scenario.h"

#include <string>

namespace simcam {

// The scenario named by SIMCAM_SCENARIO, read again on demand.
class ScenarioSource {
  public:
    // Reloads when the variable names another file or the file's text changed since the
    // last load; returns whether it did. Without the variable the camera is the default one.
    bool refresh();
    const Scenario& scenario() const { return scenario_; }

  private:
    bool loaded_ = false;
    std::string path_;
    std::string text_;
    Scenario scenario_;
};

} // namespace simcam
