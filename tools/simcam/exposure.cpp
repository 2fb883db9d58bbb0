// SPDX-License-Identifier: GPL-3.0-or-later
#include "exposure.h"

#include "config_widgets.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

namespace simcam {
namespace {

// A positive number that is the whole text.
std::optional<double> number(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

bool starts_with(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

// "1/125", "10/25", "0.3", "30", "30s", "0.0080s" (seconds); "bulb" gives nothing.
std::optional<double> seconds(std::string text) {
    if (!text.empty() && text.back() == 's')
        text.pop_back();
    const size_t slash = text.find('/');
    if (slash == std::string::npos)
        return number(text);
    const std::optional<double> over = number(text.substr(0, slash));
    const std::optional<double> under = number(text.substr(slash + 1));
    if (!over || !under)
        return std::nullopt;
    return *over / *under;
}

// "5.6", "f/5.6".
std::optional<double> f_number(const std::string& text) {
    return number(starts_with(text, "f/") ? text.substr(2) : text);
}

// "800", "ISO 800".
std::optional<double> iso_speed(const std::string& text) {
    return number(starts_with(text, "iso ") ? text.substr(4) : text);
}

double nearest_third(double stops) {
    return std::round(stops * 3) / 3;
}

ConfigNode* setting(ConfigNode& config, const std::vector<std::string>& names, size_t which,
                    std::initializer_list<const char*> usual) {
    if (!names.empty())
        return find_keyed(config, names[which]);
    for (const char* name : usual)
        if (ConfigNode* found = find_keyed(config, name))
            return found;
    return nullptr;
}

} // namespace

std::optional<double> camera_ev(ConfigNode& config, const std::vector<std::string>& names,
                                double scene_ev) {
    const ConfigNode* shutter = setting(config, names, 0, {"shutterspeed", "shutterspeed2"});
    const ConfigNode* aperture = setting(config, names, 1, {"aperture", "f-number"});
    const ConfigNode* iso = setting(config, names, 2, {"iso"});
    if (!shutter || !aperture || !iso)
        return std::nullopt;
    const std::optional<double> time = seconds(shutter->value);
    const std::optional<double> f = f_number(aperture->value);
    if (!time || !f)
        return std::nullopt;
    const double at_base_iso = nearest_third(std::log2(*f * *f)) - nearest_third(std::log2(*time));
    auto with_iso = [at_base_iso](double speed) {
        return at_base_iso - nearest_third(std::log2(speed / 100));
    };
    if (const std::optional<double> speed = iso_speed(iso->value))
        return with_iso(*speed);
    if (!starts_with(iso->value, "auto"))
        return std::nullopt;
    std::optional<double> best;
    for (const std::string& choice : iso->choices) {
        const std::optional<double> speed = iso_speed(choice);
        if (speed &&
            (!best || std::fabs(with_iso(*speed) - scene_ev) < std::fabs(*best - scene_ev) - 1e-9))
            best = with_iso(*speed);
    }
    return best;
}

} // namespace simcam
