// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration tree a scenario describes, as libgphoto2 hands it to the program, and
// how the camera takes changes back.

#include "camera_session.h"
#include "support/simcam_scenario.h"

#include <gtest/gtest.h>

namespace {

const char kTreeScenario[] = R"(# a tree with awkward names
config "Simulated Root"
  section main "Main Settings"
    radio mode "Mode" value="C D" choice=A choice="C D" choice="say \"hi\""
    menu "" "Unnamed Menu" value=x choice=x choice=y
    text a/b "Slash Name" value="two words"
    window inner "Inner Window"
      toggle flag "Flag" value=1
      date when "When" value=1700000000
    end
  end
  section main "Repeated Name"
    range zoom "Zoom" value=2.5 min=1 max=10 step=0.5
    button fire "Fire"
    text mode "Mode Again"
  end
end
)";

const char kTreeAsShown[] = R"(window "main" "Simulated Root"
  section "main" "Main Settings"
    radio "mode" "Mode" value="C D" choice="A" choice="C D" choice="say "hi""
    menu "" "Unnamed Menu" value="x" choice="x" choice="y"
    text "a/b" "Slash Name" value="two words"
    window "inner" "Inner Window"
      toggle "flag" "Flag" value=1
      date "when" "When" value=1700000000
  section "main" "Repeated Name"
    range "zoom" "Zoom" value=2.5 min=1 max=10 step=0.5
    button "fire" "Fire"
    text "mode" "Mode Again" value=""
)";

WidgetTree opened_config(CameraSession& session) {
    WidgetTree tree;
    EXPECT_EQ(session.init(), GP_OK);
    EXPECT_EQ(session.get_config(tree), GP_OK);
    return tree;
}

CameraWidget* named(const WidgetTree& tree, const char* name) {
    CameraWidget* widget = nullptr;
    gp_widget_get_child_by_name(tree.get(), name, &widget);
    return widget;
}

TEST(SimcamConfig, DefaultTreeHasTheUsualSections) {
    SimcamScenario scenario;
    CameraSession session;
    WidgetTree tree = opened_config(session);
    ASSERT_TRUE(tree);
    EXPECT_EQ(label_of(tree.get()), "Camera and Driver Configuration");
    std::vector<std::string> sections;
    for (int i = 0; i < gp_widget_count_children(tree.get()); ++i)
        sections.push_back(name_of(child_of(tree.get(), i)));
    EXPECT_EQ(sections,
              (std::vector<std::string>{"settings", "imgsettings", "capturesettings", "actions"}));

    const std::pair<const char*, CameraWidgetType> kinds[] = {
        {"owner", GP_WIDGET_TEXT},
        {"capture", GP_WIDGET_TOGGLE},
        {"datetime", GP_WIDGET_DATE},
        {"imageformat", GP_WIDGET_RADIO},
        {"iso", GP_WIDGET_RADIO},
        {"whitebalance", GP_WIDGET_RADIO},
        {"shutterspeed", GP_WIDGET_RADIO},
        {"aperture", GP_WIDGET_RADIO},
        {"focusmode", GP_WIDGET_MENU},
        {"exposurecompensation", GP_WIDGET_RANGE},
        {"autofocusdrive", GP_WIDGET_BUTTON}};
    for (const auto& [name, type] : kinds) {
        CameraWidget* widget = named(tree, name);
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(type_of(widget), type) << name;
    }

    CameraWidget* iso = named(tree, "iso");
    EXPECT_EQ(label_of(iso), "ISO Speed");
    EXPECT_EQ(text_of(iso), "100");
    std::vector<std::string> choices;
    for (int i = 0; i < gp_widget_count_choices(iso); ++i) {
        const char* choice = nullptr;
        gp_widget_get_choice(iso, i, &choice);
        choices.push_back(choice);
    }
    EXPECT_EQ(choices, (std::vector<std::string>{"Auto", "100", "200", "400", "800", "1600"}));

    float min = 0, max = 0, step = 0;
    gp_widget_get_range(named(tree, "exposurecompensation"), &min, &max, &step);
    EXPECT_EQ(min, -3.0f);
    EXPECT_EQ(max, 3.0f);
    EXPECT_EQ(step, 0.5f);
}

TEST(SimcamConfig, ScenarioTreeIsShownAsWritten) {
    SimcamScenario scenario(kTreeScenario);
    CameraSession session;
    WidgetTree tree = opened_config(session);
    ASSERT_TRUE(tree);
    EXPECT_EQ(describe(tree.get()), kTreeAsShown);
}

TEST(SimcamConfig, SetConfigKeepsAndLogsTheChangedValues) {
    SimcamScenario scenario(kTreeScenario);
    {
        CameraSession session;
        WidgetTree tree = opened_config(session);
        ASSERT_TRUE(tree);
        CameraWidget* main = child_of(tree.get(), 0);
        CameraWidget* inner = child_of(main, 3);
        CameraWidget* repeated = child_of(tree.get(), 1);
        const int flag = 0;
        const float zoom = 7.5f;
        ASSERT_EQ(gp_widget_set_value(child_of(main, 1), "y"), GP_OK);
        ASSERT_EQ(gp_widget_set_value(child_of(main, 2), "changed text"), GP_OK);
        ASSERT_EQ(gp_widget_set_value(child_of(inner, 0), &flag), GP_OK);
        ASSERT_EQ(gp_widget_set_value(child_of(repeated, 0), &zoom), GP_OK);
        // Same value again: not a change.
        ASSERT_EQ(gp_widget_set_value(child_of(main, 0), "C D"), GP_OK);
        scenario.clear_log();
        ASSERT_EQ(session.set_config(tree), GP_OK);
        EXPECT_EQ(scenario.log(),
                  std::vector<std::string>{
                      "set_config\tUnnamed Menu=y\ta/b=changed text\tflag=0\tzoom=7.5"});

        ASSERT_EQ(session.set_config(tree), GP_OK);
        EXPECT_EQ(scenario.log().back(), "set_config");
    }
    CameraSession session;
    WidgetTree tree = opened_config(session);
    ASSERT_TRUE(tree);
    std::string expected = kTreeAsShown;
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"value=\"x\"", "value=\"y\""},
             {"value=\"two words\"", "value=\"changed text\""},
             {"\"Flag\" value=1", "\"Flag\" value=0"},
             {"value=2.5", "value=7.5"}})
        expected.replace(expected.find(from), from.size(), to);
    EXPECT_EQ(describe(tree.get()), expected);
}

TEST(SimcamConfig, SingleSettingGoesThroughTheWholeTree) {
    SimcamScenario scenario;
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    CameraWidget* iso = nullptr;
    ASSERT_EQ(gp_camera_get_single_config(session.camera(), "iso", &iso, session.context()), GP_OK);
    ASSERT_EQ(gp_widget_set_value(iso, "1600"), GP_OK);
    ASSERT_EQ(gp_camera_set_single_config(session.camera(), "iso", iso, session.context()), GP_OK);
    gp_widget_free(iso);
    EXPECT_EQ(scenario.count("set_config\tiso=1600"), 1);
    WidgetTree tree;
    ASSERT_EQ(session.get_config(tree), GP_OK);
    EXPECT_EQ(text_of(named(tree, "iso")), "1600");
}

TEST(SimcamConfig, GetConfigErrorIsReturned) {
    SimcamScenario scenario("get-config-error -10\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    WidgetTree tree;
    EXPECT_EQ(session.get_config(tree), -10);
    EXPECT_EQ(session.get_config(tree), -10);
    EXPECT_EQ(scenario.count("get_config failed -10"), 2);
}

TEST(SimcamConfig, SetConfigErrorLeavesTheValuesAlone) {
    SimcamScenario scenario("set-config-error -1\n");
    CameraSession session;
    WidgetTree tree = opened_config(session);
    ASSERT_TRUE(tree);
    ASSERT_EQ(gp_widget_set_value(named(tree, "iso"), "400"), GP_OK);
    EXPECT_EQ(session.set_config(tree), -1);
    EXPECT_EQ(scenario.log().back(), "set_config failed -1");
    WidgetTree again;
    ASSERT_EQ(session.get_config(again), GP_OK);
    EXPECT_EQ(text_of(named(again, "iso")), "100");
}

TEST(SimcamConfig, UnusableLinesAreWarnedAboutAndSkipped) {
    testing::internal::CaptureStderr();
    SimcamScenario scenario(R"(frobnicate 1 2
picture jpeg wide 10
capture-name IMG_%s.JPG
capture-counter 12
end
radio loose "Outside Any Config"
config "Root"
  range r "R" value=abc
  toggle t "Unterminated value=1
  text
  section s "Section without end"
)");
    CameraSession session;
    WidgetTree tree = opened_config(session);
    std::string path;
    EXPECT_EQ(session.capture(path), GP_OK);
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(path, "/DCIM/100SIMCM/IMG_0012.JPG");
    ASSERT_TRUE(tree);
    EXPECT_EQ(describe(tree.get()), R"(window "main" "Root"
  toggle "t" "Unterminated value=1" value=0
  text "" "" value=""
  section "s" "Section without end"
)");
    for (const char* word :
         {"frobnicate", "picture", "capture-name", "end", "loose", "value=abc", "not closed"})
        EXPECT_NE(warnings.find(word), std::string::npos) << word << " in:\n" << warnings;
}

TEST(SimcamConfig, UnusableValuesOfTheTimingAndPreviewWordsAreWarnedAbout) {
    const char* const lines[] = {"init-delay-ms -1",       "get-config-delay-ms soon",
                                 "set-single-delay-ms",    "download-bytes-per-second 1 2",
                                 "single-config maybe",    "preview-log off",
                                 "capture-hang 0",         "capture-hang-from",
                                 "preview sometimes",      "preview-size 0 480",
                                 "preview-size 640",       "preview-fail 1 7",
                                 "preview-damaged-from x", "picture-grain 300"};
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        testing::internal::CaptureStderr();
        SimcamScenario scenario(line);
        CameraSession session;
        EXPECT_EQ(session.init(), GP_OK);
        const std::string warnings = testing::internal::GetCapturedStderr();
        EXPECT_NE(warnings.find("unusable"), std::string::npos) << warnings;
        EXPECT_NE(warnings.find(line), std::string::npos) << warnings;
        // The camera is the default one: instant, previews on, no single settings.
        std::string bytes, path;
        EXPECT_EQ(session.preview(bytes), GP_OK);
        EXPECT_EQ(session.camera()->functions->get_single_config, nullptr);
        EXPECT_EQ(session.capture(path), GP_OK);
    }
}

} // namespace
