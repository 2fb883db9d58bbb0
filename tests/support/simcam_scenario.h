// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/temp_dir.h"

#include <optional>
#include <string>
#include <vector>

// Points the simulated camera at a scenario for the lifetime of the object: writes the
// scenario text to a file of its own, adds an operation log to it and sets SIMCAM_SCENARIO.
// The camera driver reloads its whole state whenever the scenario file changes.
class SimcamScenario {
  public:
    explicit SimcamScenario(const std::string& text = "");
    ~SimcamScenario();

    // Puts another scenario in place, logging to the same log: the camera takes it at its next
    // opening, and one away from the cable is back at once.
    void replace(const std::string& text) const;

    // Lines of the camera's operation log, oldest first.
    std::vector<std::string> log() const;
    // How many log lines start with the prefix (e.g. "get_config", "capture ").
    int count(const std::string& prefix) const;
    void clear_log() const;
    const std::string& log_path() const { return log_path_; }
    const std::string& path() const { return path_; }

  private:
    TempDir dir_;
    std::string path_;
    std::string log_path_;
    std::optional<std::string> previous_;
};
