// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario.h"

#include "folder_path.h"
#include "scenario_tokens.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace simcam {
namespace {

// What a camera without a config block offers, modelled on a typical DSLR.
const char* const kDefaultConfig = R"(
config "Camera and Driver Configuration"
  section settings "Camera Settings"
    text owner "Owner Name" value=""
    toggle capture "Capture" value=0
    date datetime "Camera Date and Time" value=1735689600
  end
  section imgsettings "Image Settings"
    radio imageformat "Image Format" value="Large Fine JPEG" choice="Large Fine JPEG" choice="Large Normal JPEG" choice="Medium Fine JPEG" choice="Small Fine JPEG" choice=RAW choice="RAW + Large Fine JPEG"
    radio iso "ISO Speed" value=100 choice=Auto choice=100 choice=200 choice=400 choice=800 choice=1600
    radio whitebalance "WhiteBalance" value=Auto choice=Auto choice=Daylight choice=Shadow choice=Cloudy choice=Tungsten choice=Fluorescent choice=Flash
  end
  section capturesettings "Capture Settings"
    radio shutterspeed "Shutter Speed" value=1/125 choice=bulb choice=30 choice=15 choice=8 choice=4 choice=2 choice=1 choice=1/2 choice=1/4 choice=1/8 choice=1/15 choice=1/30 choice=1/60 choice=1/125 choice=1/250 choice=1/500 choice=1/1000 choice=1/2000 choice=1/4000
    radio aperture "Aperture" value=5.6 choice=2.8 choice=4 choice=5.6 choice=8 choice=11 choice=16 choice=22
    menu focusmode "Focus Mode" value="One Shot" choice=Manual choice="One Shot" choice="AI Focus" choice="AI Servo"
    range exposurecompensation "Exposure Compensation" value=0 min=-3 max=3 step=0.5
  end
  section actions "Camera Actions"
    button autofocusdrive "Autofocus Drive"
  end
end
)";

bool to_int(const std::string& text, int& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || value < INT_MIN || value > INT_MAX)
        return false;
    out = static_cast<int>(value);
    return true;
}

bool to_float(const std::string& text, float& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    float value = std::strtof(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

std::string word_of(const Token& token) {
    return token.has_key ? token.key + "=" + token.value : token.value;
}

bool widget_type(const std::string& word, CameraWidgetType& type) {
    static const std::map<std::string, CameraWidgetType> types = {
        {"window", GP_WIDGET_WINDOW}, {"section", GP_WIDGET_SECTION}, {"text", GP_WIDGET_TEXT},
        {"range", GP_WIDGET_RANGE},   {"toggle", GP_WIDGET_TOGGLE},   {"radio", GP_WIDGET_RADIO},
        {"menu", GP_WIDGET_MENU},     {"button", GP_WIDGET_BUTTON},   {"date", GP_WIDGET_DATE}};
    auto found = types.find(word);
    if (found == types.end())
        return false;
    type = found->second;
    return true;
}

class Parser {
  public:
    Scenario run(const std::string& text);

  private:
    void line(const std::vector<Token>& tokens);
    void directive(const std::string& word, const std::vector<std::string>& args);
    bool light(const std::string& word, const std::vector<std::string>& args);
    void widget(CameraWidgetType type, const std::vector<Token>& args);
    bool canonical_value(ConfigNode& node);
    void warn(const std::string& message) const;

    Scenario scenario_;
    std::vector<ConfigNode*> open_;
    bool has_config_ = false;
    int line_number_ = 0;
    std::string line_text_;
};

const ConfigNode& default_config() {
    static const ConfigNode config = Parser().run(kDefaultConfig).config;
    return config;
}

Scenario Parser::run(const std::string& text) {
    std::istringstream lines(text);
    while (std::getline(lines, line_text_)) {
        ++line_number_;
        if (!line_text_.empty() && line_text_.back() == '\r')
            line_text_.pop_back();
        std::vector<Token> tokens = split_tokens(line_text_);
        if (!tokens.empty())
            line(tokens);
    }
    if (!open_.empty())
        warn("config block not closed with 'end'");
    if (!has_config_)
        scenario_.config = default_config();
    return scenario_;
}

void Parser::line(const std::vector<Token>& tokens) {
    const std::string word = word_of(tokens[0]);
    const std::vector<Token> rest(tokens.begin() + 1, tokens.end());
    CameraWidgetType type;
    if (word == "config") {
        if (!open_.empty())
            warn("config block inside a config block (the first one is dropped)");
        scenario_.config = ConfigNode{};
        scenario_.config.name = "main";
        scenario_.config.label = rest.empty() ? "" : rest[0].value;
        open_.assign(1, &scenario_.config);
        has_config_ = true;
    } else if (word == "end") {
        if (open_.empty())
            warn("'end' outside a config block (ignored)");
        else
            open_.pop_back();
    } else if (widget_type(word, type)) {
        widget(type, rest);
    } else {
        std::vector<std::string> args;
        for (const Token& token : rest)
            args.push_back(word_of(token));
        directive(word, args);
    }
}

// Picture sides beyond this are a typo, and would ask for gigabytes.
const int kSideLimit = 20000;

bool to_side(const std::string& text, int& out) {
    return to_int(text, out) && out >= 1 && out <= kSideLimit;
}

bool to_switch(const std::string& text, bool& out) {
    if (text != "yes" && text != "no")
        return false;
    out = text == "yes";
    return true;
}

void Parser::directive(const std::string& word, const std::vector<std::string>& args) {
    static const std::map<std::string, int Scenario::*> codes = {
        {"open-error", &Scenario::open_error},
        {"init-error", &Scenario::init_error},
        {"get-config-error", &Scenario::get_config_error},
        {"set-config-error", &Scenario::set_config_error}};
    static const std::map<std::string, int Scenario::*> counts = {
        {"capture-counter", &Scenario::capture_counter},
        {"init-delay-ms", &Scenario::init_delay_ms},
        {"get-config-delay-ms", &Scenario::get_config_delay_ms},
        {"set-config-delay-ms", &Scenario::set_config_delay_ms},
        {"get-single-delay-ms", &Scenario::get_single_delay_ms},
        {"set-single-delay-ms", &Scenario::set_single_delay_ms},
        {"capture-delay-ms", &Scenario::capture_delay_ms},
        {"download-bytes-per-second", &Scenario::download_bytes_per_second},
        {"delete-delay-ms", &Scenario::delete_delay_ms},
        {"preview-delay-ms", &Scenario::preview_delay_ms}};
    static const std::map<std::string, bool Scenario::*> switches = {
        {"single-config", &Scenario::single_config},
        {"preview-log", &Scenario::preview_log},
        {"forget-settings", &Scenario::forget_settings},
        {"log-times", &Scenario::log_times}};
    static const std::map<std::string, std::vector<FailRule> Scenario::*> fails = {
        {"capture-fail", &Scenario::capture_fails},
        {"download-fail", &Scenario::download_fails},
        {"delete-fail", &Scenario::delete_fails},
        {"preview-fail", &Scenario::preview_fails}};
    static const std::map<std::string, std::vector<VanishRule> Scenario::*> vanishes = {
        {"capture-vanish", &Scenario::capture_vanishes},
        {"download-vanish", &Scenario::download_vanishes},
        {"delete-vanish", &Scenario::delete_vanishes}};
    static const std::map<std::string, std::vector<CallRule> Scenario::*> calls = {
        {"capture-hang", &Scenario::capture_hangs},
        {"preview-damaged", &Scenario::preview_damaged}};
    // "capture-fail-from 3 -7" is "capture-fail 3 -7" for the third call and every later one.
    const std::string from_suffix = "-from";
    const bool onwards =
        word.size() > from_suffix.size() &&
        word.compare(word.size() - from_suffix.size(), std::string::npos, from_suffix) == 0;
    const std::string rule_word = onwards ? word.substr(0, word.size() - from_suffix.size()) : word;
    const auto fail = fails.find(rule_word);
    const auto vanish = vanishes.find(rule_word);
    const auto call = calls.find(rule_word);

    int number = 0;
    int code = 0;
    bool usable = false;
    if (auto found = codes.find(word); found != codes.end()) {
        usable = args.size() == 1 && to_int(args[0], code) && code <= 0;
        if (usable)
            scenario_.*(found->second) = code;
    } else if (auto found = counts.find(word); found != counts.end()) {
        usable = args.size() == 1 && to_int(args[0], number) && number >= 0;
        if (usable)
            scenario_.*(found->second) = number;
    } else if (auto found = switches.find(word); found != switches.end()) {
        usable = args.size() == 1 && to_switch(args[0], scenario_.*(found->second));
    } else if (fail != fails.end()) {
        usable = args.size() == 2 && to_int(args[0], number) && number >= 1 &&
                 to_int(args[1], code) && code < 0;
        if (usable)
            (scenario_.*(fail->second)).push_back(FailRule{CallRule{number, onwards}, code});
    } else if (vanish != vanishes.end()) {
        int ms = 0;
        usable = args.size() == 2 && to_int(args[0], number) && number >= 1 &&
                 to_int(args[1], ms) && ms >= 1;
        if (usable)
            (scenario_.*(vanish->second)).push_back(VanishRule{CallRule{number, onwards}, ms});
    } else if (call != calls.end()) {
        usable = args.size() == 1 && to_int(args[0], number) && number >= 1;
        if (usable)
            (scenario_.*(call->second)).push_back(CallRule{number, onwards});
    } else if (word == "presence") {
        usable = args.size() == 1 && (args[0] == "present" || args[0] == "absent");
        if (usable)
            scenario_.present = args[0] == "present";
    } else if (word == "capture-folder") {
        usable = args.size() == 1 && !args[0].empty() && args[0][0] == '/';
        if (usable)
            scenario_.capture_folder = normal_folder(args[0]);
    } else if (word == "capture-name") {
        std::optional<NamePattern> pattern;
        usable = args.size() == 1 && (pattern = NamePattern::parse(args[0]));
        if (usable)
            scenario_.capture_name = *pattern;
    } else if (word == "capture-fixed") {
        usable = args.size() == 1 && !args[0].empty() && args[0].find('/') == std::string::npos;
        if (usable)
            scenario_.capture_fixed = args[0];
    } else if (word == "picture") {
        int width = 0, height = 0;
        if (args.size() == 3 && args[0] == "jpeg" && to_side(args[1], width) &&
            to_side(args[2], height)) {
            scenario_.picture.raw = false;
            scenario_.picture.width = width;
            scenario_.picture.height = height;
            usable = true;
        } else if (args.size() == 2 && args[0] == "raw" && to_int(args[1], number) && number >= 0 &&
                   number <= 512 * 1024 * 1024) {
            scenario_.picture.raw = true;
            scenario_.picture.raw_size = number;
            usable = true;
        }
    } else if (word == "picture-style") {
        if (args.size() == 1 && args[0] == "digits") {
            scenario_.picture.style = PictureStyle::Digits;
            usable = true;
        } else if (args.size() == 2 && args[0] == "scene" && to_int(args[1], number) &&
                   number >= 1) {
            scenario_.picture.style = PictureStyle::Scene;
            scenario_.picture.day_frames = number;
            usable = true;
        }
    } else if (word == "picture-grain") {
        usable = args.size() == 1 && to_int(args[0], number) && number >= 0 && number <= 255;
        if (usable)
            scenario_.picture.grain = number;
    } else if (word == "preview") {
        usable = args.size() == 1 && (args[0] == "supported" || args[0] == "unsupported");
        if (usable)
            scenario_.preview = args[0] == "supported";
    } else if (word == "preview-size") {
        int width = 0, height = 0;
        usable = args.size() == 2 && to_side(args[0], width) && to_side(args[1], height);
        if (usable) {
            scenario_.preview_width = width;
            scenario_.preview_height = height;
        }
    } else if (word == "dial-after-capture") {
        usable = args.size() == 3 && to_int(args[0], number) && number >= 1 && !args[1].empty();
        if (usable)
            scenario_.dials.push_back(Dial{number, args[1], args[2]});
    } else if (word == "refuse-value") {
        usable = args.size() == 3 && !args[0].empty() && to_int(args[2], code) && code < 0;
        if (usable)
            scenario_.refused.push_back(RefusedValue{args[0], args[1], code});
    } else if (word == "scene-ev" || word == "scene-ev-at" || word == "scene-day" ||
               word == "scene-day-seconds" || word == "flicker" || word == "exposure-settings") {
        usable = light(word, args);
    } else if (word == "log-settings") {
        usable = !args.empty();
        scenario_.logged_settings.insert(scenario_.logged_settings.end(), args.begin(), args.end());
    } else if (word == "log") {
        usable = args.size() == 1 && !args[0].empty();
        if (usable)
            scenario_.log_path = args[0];
    } else {
        warn("unknown directive '" + word + "' (ignored)");
        return;
    }
    if (!usable)
        warn("unusable '" + word + "' line (ignored)");
}

// The light's directives; false if the line is unusable. A curve is given one way only: pairs
// or a day, by captures or by seconds.
bool Parser::light(const std::string& word, const std::vector<std::string>& args) {
    SceneLight& light = scenario_.light;
    float at = 0, ev = 0, from = 0, to = 0;
    if (word == "flicker") {
        if (args.size() != 1 || !to_float(args[0], ev) || ev < 0)
            return false;
        light.flicker = ev;
        return true;
    }
    if (word == "exposure-settings") {
        if (args.size() != 3)
            return false;
        light.exposure_settings = args;
        return true;
    }
    const bool pairs = word == "scene-ev" || word == "scene-ev-at";
    const bool day = !pairs;
    const LightClock clock =
        word == "scene-day" || word == "scene-ev" ? LightClock::Captures : LightClock::Seconds;
    if (light.on() && (light.clock != clock || light.points.empty() == pairs)) {
        warn("a second kind of light curve (ignored)");
        return true;
    }
    if (args.empty() || !to_float(args[0], at))
        return false;
    // A day needs two captures or some time to fall in.
    const bool placed = clock == LightClock::Captures ? at == std::floor(at) && at >= (day ? 2 : 1)
                                                      : (day ? at > 0 : at >= 0);
    if (!placed)
        return false;
    light.clock = clock;
    if (pairs) {
        if (args.size() != 2 || !to_float(args[1], ev))
            return false;
        const auto after = std::upper_bound(
            light.points.begin(), light.points.end(), at,
            [](double value, const LightPoint& point) { return value < point.at; });
        light.points.insert(after, LightPoint{at, ev});
        return true;
    }
    if (args.size() == 3 && to_float(args[1], from) && to_float(args[2], to)) {
        light.from = from;
        light.to = to;
    } else if (args.size() != 1) {
        return false;
    }
    // By captures the day ends at its last capture.
    light.span = clock == LightClock::Captures ? at - 1 : at;
    return true;
}

void Parser::widget(CameraWidgetType type, const std::vector<Token>& args) {
    if (open_.empty()) {
        warn("widget outside a config block (ignored)");
        return;
    }
    ConfigNode node;
    node.type = type;
    std::vector<std::string> positional;
    for (const Token& token : args) {
        if (!token.has_key) {
            positional.push_back(token.value);
        } else if (token.key == "value") {
            node.value = token.value;
        } else if (token.key == "choice") {
            node.choices.push_back(token.value);
        } else if (token.key == "min" || token.key == "max" || token.key == "step") {
            float& limit = token.key == "min"   ? node.min
                           : token.key == "max" ? node.max
                                                : node.step;
            if (!to_float(token.value, limit)) {
                warn("'" + token.key + "' is not a number (widget ignored)");
                return;
            }
        } else {
            warn("unknown key '" + token.key + "' (ignored)");
        }
    }
    if (positional.size() > 2)
        warn("extra words after the label (ignored)");
    node.name = positional.empty() ? "" : positional[0];
    node.label = positional.size() < 2 ? node.name : positional[1];
    if (!canonical_value(node))
        return;
    ConfigNode* parent = open_.back();
    parent->children.push_back(std::move(node));
    if (type == GP_WIDGET_WINDOW || type == GP_WIDGET_SECTION)
        open_.push_back(&parent->children.back());
}

// Writes the value the way the operation log shows it; false (with a warning) if it is no
// number where one is needed.
bool Parser::canonical_value(ConfigNode& node) {
    if (node.type == GP_WIDGET_TOGGLE || node.type == GP_WIDGET_DATE) {
        int number = 0;
        if (!node.value.empty() && !to_int(node.value, number)) {
            warn("value is not an integer (widget ignored)");
            return false;
        }
        node.value = std::to_string(number);
    } else if (node.type == GP_WIDGET_RANGE) {
        float number = node.min;
        if (!node.value.empty() && !to_float(node.value, number)) {
            warn("value is not a number (widget ignored)");
            return false;
        }
        node.value = range_text(number);
    }
    return true;
}

void Parser::warn(const std::string& message) const {
    std::fprintf(stderr, "simcam: scenario line %d: %s: %s\n", line_number_, message.c_str(),
                 line_text_.c_str());
}

} // namespace

std::string range_text(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

bool picks(const std::vector<CallRule>& rules, int nth) {
    for (const CallRule& rule : rules)
        if (rule.picks(nth))
            return true;
    return false;
}

int failure_for(const std::vector<FailRule>& rules, int nth) {
    for (const FailRule& rule : rules)
        if (rule.calls.picks(nth))
            return rule.code;
    return GP_OK;
}

int absence_for(const std::vector<VanishRule>& rules, int nth) {
    for (const VanishRule& rule : rules)
        if (rule.calls.picks(nth))
            return rule.ms;
    return 0;
}

Scenario parse_scenario(const std::string& text) {
    return Parser().run(text);
}

} // namespace simcam
