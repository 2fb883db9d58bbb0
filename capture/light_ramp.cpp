// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/light_ramp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <tuple>

namespace {

const char prefix[] = "Follow the light: ";
// Half a third of a stop: nearer than that, the next setting would not come closer.
const double holdWithin = 1.0 / 6 + 0.01;
// Settings' stops are on the body's scale; this much apart counts as level.
const double level = 0.02;
// How many passes the light is judged by: enough to pass over a car's headlights.
const size_t smoothing = 5;
const size_t trendOver = 7;

std::string ev_text(double ev) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.2f EV", ev);
    return text;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The scene's EV at the next pass, from the estimates of the last ones: the median of the last
// few, carried forward along the median slope of the last several (Theil–Sen), so that a steady
// sunset is met where it will be rather than where it was, and one odd frame moves neither.
double next_scene(const std::deque<double>& scene, double steepest) {
    const size_t n = scene.size();
    const size_t recent = std::min(n, smoothing);
    const double middle = median({scene.end() - static_cast<long>(recent), scene.end()});
    if (n < smoothing)
        return middle;
    std::vector<double> slopes;
    const size_t from = n - std::min(n, trendOver);
    for (size_t i = from; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            slopes.push_back((scene[j] - scene[i]) / static_cast<double>(j - i));
    const double slope = std::clamp(median(slopes), -steepest, steepest);
    // The median of the last few stands for the one in their middle.
    return middle + slope * (static_cast<double>(recent - 1) / 2 + 1);
}

const char* direction(double error) {
    return error < 0 ? "darker" : "brighter";
}

} // namespace

std::string refused_ramp_change(const RampStep::Change& change, int result) {
    return prefix + change.setting.key + " could not be set to " + change.setting.value + " (" +
           std::to_string(result) + "); it stays at " + change.from + ".";
}

void LightRamp::say_once(bool& said, bool now, const std::string& line, RampStep& step) {
    if (now && !said)
        step.notes.push_back(prefix + line);
    said = now;
}

std::vector<LightRamp::Setting> LightRamp::readable(const RampSettings& settings, RampStep& step) {
    std::vector<Setting> found;
    for (size_t k = 0; k < settings.size(); ++k) {
        if (!settings[k])
            continue;
        const auto kind = static_cast<ExposureKind>(k);
        const RampSetting& box = *settings[k];
        Setting setting{kind, &box, exposure_scale(kind, box.choices), -1, false};
        for (size_t i = 0; i < setting.scale.size(); ++i) {
            if (setting.scale[i].text == box.value)
                setting.current = static_cast<int>(i);
        }
        say_once(saidUnreadable_[k], setting.current < 0,
                 box.key + " holds \"" + box.value + "\", which gives no exposure; the ramp " +
                     "leaves it alone.",
                 step);
        if (setting.current < 0)
            continue;
        say_once(saidByHand_[k], box.chosenByHand,
                 box.key + " was chosen by hand; the ramp leaves it alone from now on.", step);
        setting.movable = !box.chosenByHand &&
                          (kind != ExposureKind::Aperture || limits_.apertureFree) &&
                          setting.scale.size() > 1;
        found.push_back(std::move(setting));
    }
    return found;
}

RampStep LightRamp::after_pass(std::optional<double> brightness, const RampSettings& settings,
                               double slowestShutter) {
    RampStep step;
    const std::vector<Setting> found = readable(settings, step);
    double current = 0;
    for (const Setting& s : found)
        current += s.scale[static_cast<size_t>(s.current)].stops;
    const bool movable =
        std::any_of(found.begin(), found.end(), [](const Setting& s) { return s.movable; });
    say_once(saidNoSetting_, !movable,
             "the camera has no shutter speed, ISO or free aperture setting that the ramp may "
             "move; the settings stay as they are.",
             step);
    if (!found.empty())
        step.currentEv = step.exposureEv = current;
    if (!movable)
        return step;
    say_once(saidUnmeasured_, !brightness,
             "the pass left no picture to measure; the exposure holds.", step);
    if (!brightness)
        return step;

    scene_.push_back(current + *brightness);
    if (scene_.size() > trendOver)
        scene_.pop_front();
    const double want = next_scene(scene_, limits_.maxStep) - limits_.target;
    const double error = want - current;
    if (std::fabs(error) <= holdWithin)
        return step;

    // Every combination of settings that moves the exposure the right way. A setting moves at
    // most a stop, so that a scale of whole stops can pair with one of thirds.
    struct Candidate {
        std::vector<int> choice;
        double ev;
    };
    std::vector<Candidate> candidates;
    const double notch = std::max(1.0, limits_.maxStep) + level;
    std::vector<int> choice(found.size());
    std::function<void(size_t, double)> combine = [&](size_t i, double ev) {
        if (i == found.size()) {
            if ((ev - current) * error > 0 && std::fabs(ev - current) > level)
                candidates.push_back({choice, ev});
            return;
        }
        const Setting& s = found[i];
        const ExposureChoice& now = s.scale[static_cast<size_t>(s.current)];
        for (size_t c = 0; c < s.scale.size(); ++c) {
            const ExposureChoice& option = s.scale[c];
            const bool same = static_cast<int>(c) == s.current;
            if (!same && (!s.movable || std::fabs(option.stops - now.stops) > notch ||
                          (s.kind == ExposureKind::Shutter && option.number > slowestShutter) ||
                          (s.kind == ExposureKind::Iso && option.number > limits_.highestIso)))
                continue;
            choice[i] = static_cast<int>(c);
            combine(i + 1, ev - now.stops + option.stops);
        }
    };
    for (size_t i = 0; i < found.size(); ++i)
        choice[i] = found[i].current;
    combine(0, current);
    if (candidates.empty()) {
        std::string held;
        for (const Setting& s : found)
            held += (held.empty() ? "" : ", ") + s.box->key + " " + s.box->value;
        // Once a series: a light that hovers at the limit would say it pass after pass.
        say_once(saidLimit_, true,
                 std::string("the pictures are ") + direction(error) +
                     " than the target, but the settings are as far as the limits allow (" + held +
                     "); the exposure holds.",
                 step);
        return step;
    }

    // Nearest to the light within one step; a scale too coarse for that takes its next notch
    // when that comes nearer. Then the aperture last, the ISO as low as it goes, the fewest
    // changes.
    auto moved = [&](const Candidate& c, ExposureKind kind) {
        for (size_t i = 0; i < found.size(); ++i) {
            if (found[i].kind == kind && c.choice[i] != found[i].current)
                return true;
        }
        return false;
    };
    auto rank = [&](const Candidate& c) {
        double iso = 0;
        int changes = 0;
        for (size_t i = 0; i < found.size(); ++i) {
            const auto& chosen = found[i].scale[static_cast<size_t>(c.choice[i])];
            if (found[i].kind == ExposureKind::Iso)
                iso = -chosen.stops;
            changes += c.choice[i] != found[i].current;
        }
        const double size = std::fabs(c.ev - current);
        const bool within = size <= limits_.maxStep + level;
        const double miss = within ? std::round(std::fabs(c.ev - want) / level) : size;
        return std::make_tuple(!within, miss, moved(c, ExposureKind::Aperture),
                               std::round(iso / level), changes, size);
    };
    const Candidate& best = *std::min_element(
        candidates.begin(), candidates.end(),
        [&](const Candidate& a, const Candidate& b) { return rank(a) < rank(b); });
    if (std::fabs(best.ev - current) > limits_.maxStep + level &&
        std::fabs(best.ev - want) >= std::fabs(error))
        return step;

    for (size_t i = 0; i < found.size(); ++i) {
        if (best.choice[i] == found[i].current)
            continue;
        const std::string& to = found[i].scale[static_cast<size_t>(best.choice[i])].text;
        const RampSetting& box = *found[i].box;
        step.changes.push_back({{box.key, to},
                                box.value,
                                prefix + box.key + " " + box.value + " -> " + to + " (measured " +
                                    ev_text(*brightness) + ", target " + ev_text(limits_.target) +
                                    ")."});
    }
    step.exposureEv = best.ev;
    return step;
}
