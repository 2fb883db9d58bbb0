// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped scenarios that others build on: a slow body with a large configuration, and a
// body with live view and a viewfinder toggle.

#include "camera_session.h"
#include "jpeg_image.h"
#include "support/simcam_scenario.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

namespace {

std::string shipped(const std::string& name) {
    const char* folder = std::getenv("SIMCAM_SCENARIOS");
    return read_file(std::string(folder ? folder : "") + "/" + name);
}

// Every setting (a widget that is no window or section) below `widget`, by name.
void collect_settings(CameraWidget* widget, std::vector<CameraWidget*>& settings) {
    const CameraWidgetType type = type_of(widget);
    if (type != GP_WIDGET_WINDOW && type != GP_WIDGET_SECTION)
        settings.push_back(widget);
    for (int i = 0; i < gp_widget_count_children(widget); ++i)
        collect_settings(child_of(widget, i), settings);
}

std::vector<std::string> section_names(CameraWidget* window) {
    std::vector<std::string> names;
    for (int i = 0; i < gp_widget_count_children(window); ++i)
        names.push_back(name_of(child_of(window, i)));
    return names;
}

TEST(SimcamShippedScenarios, SlowBodyHas150SettingsFortyOfThemRadio) {
    SimcamScenario scenario(shipped("slow-body.scenario"));
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    EXPECT_NE(session.camera()->functions->get_single_config, nullptr);
    WidgetTree tree;
    ASSERT_EQ(session.get_config(tree), GP_OK);
    EXPECT_EQ(section_names(tree.get()),
              (std::vector<std::string>{"settings", "status", "imgsettings", "capturesettings",
                                        "actions", "other"}));

    std::vector<CameraWidget*> settings;
    collect_settings(tree.get(), settings);
    std::map<CameraWidgetType, int> kinds;
    std::set<std::string> names;
    for (CameraWidget* setting : settings) {
        ++kinds[type_of(setting)];
        names.insert(name_of(setting));
    }
    EXPECT_EQ(settings.size(), 150u);
    EXPECT_EQ(names.size(), settings.size()) << "every setting has a name of its own";
    EXPECT_EQ(kinds[GP_WIDGET_RADIO], 40);
    for (CameraWidgetType kind :
         {GP_WIDGET_MENU, GP_WIDGET_TEXT, GP_WIDGET_RANGE, GP_WIDGET_TOGGLE})
        EXPECT_GT(kinds[kind], 5) << kind;
    for (const char* name : {"iso", "shutterspeed", "aperture", "whitebalance", "imageformat",
                             "focusmode", "exposurecompensation"}) {
        CameraWidget* widget = nullptr;
        ASSERT_EQ(gp_widget_get_child_by_name(tree.get(), name, &widget), GP_OK) << name;
        EXPECT_EQ(type_of(widget), GP_WIDGET_RADIO) << name;
        EXPECT_GT(gp_widget_count_choices(widget), 1) << name;
    }
}

TEST(SimcamShippedScenarios, SlowBodyPicturesAreLargeJpegs) {
    // The slow body's pictures without its pace, which the latency tests cover.
    std::string text = shipped("slow-body.scenario");
    for (const char* word : {"init-delay-ms", "capture-delay-ms", "download-bytes-per-second"})
        text += std::string(word) + " 0\n";
    SimcamScenario scenario(text);
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::string path, bytes;
    ASSERT_EQ(session.capture(path), GP_OK);
    ASSERT_EQ(session.download(path, bytes), GP_OK);
    // About what a real body's 24-megapixel JPEG weighs, so downloads take as long.
    EXPECT_GT(bytes.size(), 5000000u);
    const std::optional<RgbImage> image = decode_jpeg(bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 6000);
    EXPECT_EQ(image->height, 4000);
}

TEST(SimcamShippedScenarios, LiveViewBodyHasAViewfinderToggle) {
    SimcamScenario scenario(shipped("liveview.scenario"));
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    WidgetTree tree;
    ASSERT_EQ(session.get_config(tree), GP_OK);
    CameraWidget* actions = nullptr;
    ASSERT_EQ(gp_widget_get_child_by_name(tree.get(), "actions", &actions), GP_OK);
    CameraWidget* viewfinder = nullptr;
    ASSERT_EQ(gp_widget_get_child_by_name(actions, "viewfinder", &viewfinder), GP_OK);
    EXPECT_EQ(type_of(viewfinder), GP_WIDGET_TOGGLE);

    std::string bytes;
    ASSERT_EQ(session.preview(bytes), GP_OK);
    EXPECT_TRUE(decode_jpeg(bytes));
    for (int on : {1, 0}) {
        WidgetTree toggle;
        ASSERT_EQ(session.get_single("viewfinder", toggle), GP_OK);
        ASSERT_EQ(gp_widget_set_value(toggle.get(), &on), GP_OK);
        ASSERT_EQ(session.set_single("viewfinder", toggle), GP_OK);
    }
    EXPECT_EQ(scenario.count("set_single_config\tviewfinder=1"), 1);
    EXPECT_EQ(scenario.count("set_single_config\tviewfinder=0"), 1);
}

TEST(SimcamShippedScenarios, DefaultCameraHasNoViewfinderToggle) {
    SimcamScenario scenario;
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    WidgetTree tree;
    ASSERT_EQ(session.get_config(tree), GP_OK);
    CameraWidget* viewfinder = nullptr;
    EXPECT_NE(gp_widget_get_child_by_name(tree.get(), "viewfinder", &viewfinder), GP_OK);
}

} // namespace
