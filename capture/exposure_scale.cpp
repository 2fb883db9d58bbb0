// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/exposure_scale.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

bool strip_prefix(std::string& text, const char* prefix) {
    const std::string p(prefix);
    if (text.size() < p.size())
        return false;
    for (size_t i = 0; i < p.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != p[i])
            return false;
    }
    text = trimmed(text.substr(p.size()));
    return true;
}

bool strip_suffix(std::string& text, const char* suffix) {
    const std::string s(suffix);
    if (text.size() <= s.size() || text.compare(text.size() - s.size(), s.size(), s) != 0)
        return false;
    text = trimmed(text.substr(0, text.size() - s.size()));
    return true;
}

// A plain decimal that is the whole text: no sign, no exponent, no "inf".
std::optional<double> decimal(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos ||
        text.find('.') != text.rfind('.') || text == ".")
        return std::nullopt;
    return std::strtod(text.c_str(), nullptr);
}

std::optional<double> seconds(std::string text) {
    strip_suffix(text, "sec") || strip_suffix(text, "s") || strip_suffix(text, "\"");
    // Some bodies write two and a half seconds as 2"5.
    const auto mark = text.find('"');
    if (mark != std::string::npos && text.find('.') == std::string::npos)
        text[mark] = '.';
    const auto slash = text.find('/');
    if (slash == std::string::npos)
        return decimal(text);
    const auto over = decimal(trimmed(text.substr(0, slash)));
    const auto under = decimal(trimmed(text.substr(slash + 1)));
    if (!over || !under || *under == 0)
        return std::nullopt;
    return *over / *under;
}

double within(std::optional<double> number, double least, double most) {
    return number && *number >= least && *number <= most ? *number : NAN;
}

// A value's stops as the body's scale counts them: the nearest third of a stop, else the
// nearest half, when either is near; the exact figure otherwise.
double on_scale(double stops) {
    const double thirds = std::round(stops * 3) / 3;
    if (std::fabs(thirds - stops) <= 0.1)
        return thirds;
    const double halves = std::round(stops * 2) / 2;
    return std::fabs(halves - stops) <= 0.1 ? halves : stops;
}

} // namespace

std::optional<double> exposure_number(ExposureKind kind, const std::string& choice) {
    std::string text = trimmed(choice);
    double number = NAN;
    switch (kind) {
    case ExposureKind::Shutter:
        number = within(seconds(text), 1e-5, 3600);
        break;
    case ExposureKind::Aperture:
        strip_prefix(text, "f/") || strip_prefix(text, "f");
        number = within(decimal(text), 0.5, 256);
        break;
    case ExposureKind::Iso:
        strip_prefix(text, "iso");
        number = within(decimal(text), 1, 10000000);
        break;
    }
    if (std::isnan(number))
        return std::nullopt;
    return number;
}

double exposure_stops(ExposureKind kind, double number) {
    switch (kind) {
    case ExposureKind::Shutter:
        return -on_scale(std::log2(number));
    case ExposureKind::Aperture:
        return on_scale(2 * std::log2(number));
    case ExposureKind::Iso:
        return -on_scale(std::log2(number / 100));
    }
    return 0;
}

std::vector<ExposureChoice> exposure_scale(ExposureKind kind,
                                           const std::vector<std::string>& choices) {
    std::vector<ExposureChoice> scale;
    for (const std::string& text : choices) {
        if (const auto number = exposure_number(kind, text))
            scale.push_back({text, *number, exposure_stops(kind, *number)});
    }
    return scale;
}

const std::vector<std::string>& exposure_setting_names(ExposureKind kind) {
    // Nikon bodies take their own shutter setting, shutterspeed2, beside the generic one.
    static const std::vector<std::string> shutter = {"shutterspeed2", "shutterspeed", "exptime"};
    static const std::vector<std::string> aperture = {"f-number", "aperture"};
    static const std::vector<std::string> iso = {"iso", "isospeed"};
    switch (kind) {
    case ExposureKind::Shutter:
        return shutter;
    case ExposureKind::Aperture:
        return aperture;
    case ExposureKind::Iso:
        break;
    }
    return iso;
}
