// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/follow_light_window.h"

#include "camera/settings_page.h"
#include "capture/run_state.h"
#include "display/light_plot.h"

#include <set>
#include <string>

namespace {

struct WindowRamp {
    bool on = false;
    unsigned series = 0;
    RampLimits limits;
    std::optional<double> interval;
    std::set<std::string> chosenByHand; // registry keys
};

WindowRamp& window_ramp() {
    static WindowRamp ramp;
    return ramp;
}

// The box of the registry key, or -1.
int box_of(const std::string& key) {
    for (size_t i = 0; i < parameterNames.size(); ++i) {
        if (parameterNames[i].utf8_string() == key)
            return static_cast<int>(i);
    }
    return -1;
}

std::optional<RampSetting> ramp_setting(ExposureKind kind) {
    for (const std::string& name : exposure_setting_names(kind)) {
        const int i = box_of(name);
        if (i < 0)
            continue;
        const wxComboBox* box = parameterCombos[static_cast<size_t>(i)];
        RampSetting setting;
        setting.key = name;
        for (unsigned c = 0; c < box->GetCount(); ++c)
            setting.choices.push_back(box->GetString(c).utf8_string());
        setting.value = box->GetValue().utf8_string();
        setting.chosenByHand = window_ramp().chosenByHand.count(name) > 0;
        return setting;
    }
    return std::nullopt;
}

} // namespace

void begin_follow_light(const SeriesOptions& options, std::optional<double> interval) {
    WindowRamp& ramp = window_ramp();
    ramp.on = options.followLight;
    ++ramp.series;
    ramp.limits = {options.targetBrightness, options.maxStepEv, options.slowestShutter,
                   static_cast<double>(options.highestIso), options.apertures == Apertures::Free};
    ramp.interval = interval;
    ramp.chosenByHand.clear();
    if (ramp.on)
        clear_light_plot(options.targetBrightness);
}

std::optional<FollowLightRequest> follow_light_request() {
    const WindowRamp& ramp = window_ramp();
    if (!captureRunning || !ramp.on)
        return std::nullopt;
    FollowLightRequest request;
    request.series = ramp.series;
    request.limits = ramp.limits;
    request.interval = ramp.interval;
    for (ExposureKind kind : {ExposureKind::Shutter, ExposureKind::Aperture, ExposureKind::Iso})
        request.settings[static_cast<size_t>(kind)] = ramp_setting(kind);
    return request;
}

void show_follow_light(const FollowLightResult& result) {
    for (const ParameterSetting& written : result.written) {
        const int i = box_of(written.key);
        // A choice made while the pass ran goes to the camera at the next pass.
        if (i >= 0 && !window_ramp().chosenByHand.count(written.key))
            parameterCombos[static_cast<size_t>(i)]->ChangeValue(wxString::FromUTF8(written.value));
    }
    add_light_point(result.point);
}

void note_box_chosen(const wxObject* box) {
    WindowRamp& ramp = window_ramp();
    if (!captureRunning || !ramp.on)
        return;
    for (size_t i = 0; i < parameterCombos.size(); ++i) {
        if (parameterCombos[i] == box)
            ramp.chosenByHand.insert(parameterNames[i].utf8_string());
    }
}
