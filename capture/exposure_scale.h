// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

// The three settings that make an exposure, read from the texts that camera drivers give their
// choices.

enum class ExposureKind { Shutter, Aperture, Iso };

// The setting's number: seconds ("1/125", "0.0100s", "30", "30s", "13/10", "2\"5"), f-number
// ("f/5.6", "5.6") or ISO speed ("ISO 800", "800"). None for "Auto", "Bulb" and any text that
// names no number of its kind.
std::optional<double> exposure_number(ExposureKind kind, const std::string& text);

// How many stops the setting takes off the light, log2(t) negated for a shutter, log2(N²) for
// an aperture and log2(ISO/100) negated for an ISO, so that the three add up to the exposure in
// EV at ISO 100. Taken on the body's scale of thirds (or halves) of a stop: "1/125" counts as 2^-7
// s, so that neighbours are a third of a stop apart.
double exposure_stops(ExposureKind kind, double number);

// A setting's choices that name a number, in the driver's order.
struct ExposureChoice {
    std::string text;
    double number;
    double stops;
};
std::vector<ExposureChoice> exposure_scale(ExposureKind kind,
                                           const std::vector<std::string>& choices);

// The driver's names of each setting, the most direct first.
const std::vector<std::string>& exposure_setting_names(ExposureKind kind);
