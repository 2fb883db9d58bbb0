// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing one setting: by the driver itself when the scenario offers it, and
// otherwise by libgphoto2 through the whole configuration.

#include "camera_session.h"
#include "support/simcam_scenario.h"

#include <gtest/gtest.h>

namespace {

bool driver_offers_single_settings(const CameraSession& session) {
    CameraFunctions* functions = session.camera()->functions;
    EXPECT_EQ(functions->get_single_config == nullptr, functions->set_single_config == nullptr);
    return functions->get_single_config != nullptr;
}

std::vector<std::string> choices_of(CameraWidget* widget) {
    std::vector<std::string> choices;
    for (int i = 0; i < gp_widget_count_choices(widget); ++i) {
        const char* choice = nullptr;
        gp_widget_get_choice(widget, i, &choice);
        choices.push_back(choice);
    }
    return choices;
}

TEST(SimcamSingleConfig, TheDriverReadsAndWritesOneSetting) {
    SimcamScenario scenario("single-config yes\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    EXPECT_TRUE(driver_offers_single_settings(session));

    WidgetTree iso;
    ASSERT_EQ(session.get_single("iso", iso), GP_OK);
    ASSERT_TRUE(iso);
    EXPECT_EQ(type_of(iso.get()), GP_WIDGET_RADIO);
    EXPECT_EQ(label_of(iso.get()), "ISO Speed");
    EXPECT_EQ(text_of(iso.get()), "100");
    EXPECT_EQ(choices_of(iso.get()),
              (std::vector<std::string>{"Auto", "100", "200", "400", "800", "1600"}));
    EXPECT_EQ(gp_widget_count_children(iso.get()), 0) << "a copy of the one widget";

    ASSERT_EQ(gp_widget_set_value(iso.get(), "1600"), GP_OK);
    ASSERT_EQ(session.set_single("iso", iso), GP_OK);
    // A write of the value the camera has is still a write, and is logged.
    ASSERT_EQ(session.set_single("iso", iso), GP_OK);
    WidgetTree range;
    ASSERT_EQ(session.get_single("exposurecompensation", range), GP_OK);
    const float half = -1.5f;
    ASSERT_EQ(gp_widget_set_value(range.get(), &half), GP_OK);
    ASSERT_EQ(session.set_single("exposurecompensation", range), GP_OK);
    EXPECT_EQ(scenario.log(),
              (std::vector<std::string>{
                  "init", "get_single_config iso", "set_single_config\tiso=1600",
                  "set_single_config\tiso=1600", "get_single_config exposurecompensation",
                  "set_single_config\texposurecompensation=-1.5"}));

    // The camera keeps the values, as its whole configuration shows.
    WidgetTree tree;
    ASSERT_EQ(session.get_config(tree), GP_OK);
    CameraWidget* whole_iso = nullptr;
    ASSERT_EQ(gp_widget_get_child_by_name(tree.get(), "iso", &whole_iso), GP_OK);
    EXPECT_EQ(text_of(whole_iso), "1600");
}

TEST(SimcamSingleConfig, UnknownNamesAndWrongWidgetsAreBadParameters) {
    SimcamScenario scenario("single-config yes\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    WidgetTree widget;
    EXPECT_EQ(session.get_single("nosuchsetting", widget), GP_ERROR_BAD_PARAMETERS);
    // Sections are no settings.
    EXPECT_EQ(session.get_single("imgsettings", widget), GP_ERROR_BAD_PARAMETERS);

    WidgetTree toggle;
    ASSERT_EQ(session.get_single("capture", toggle), GP_OK);
    EXPECT_EQ(session.set_single("nosuchsetting", toggle), GP_ERROR_BAD_PARAMETERS);
    EXPECT_EQ(session.set_single("iso", toggle), GP_ERROR_BAD_PARAMETERS) << "a toggle for a radio";
    EXPECT_EQ(scenario.log(),
              (std::vector<std::string>{
                  "init", "get_single_config failed -2 nosuchsetting",
                  "get_single_config failed -2 imgsettings", "get_single_config capture",
                  "set_single_config failed -2 nosuchsetting", "set_single_config failed -2 iso"}));
}

TEST(SimcamSingleConfig, ConfigurationErrorsApplyToSingleSettingsToo) {
    SimcamScenario scenario("single-config yes\nget-config-error -10\nset-config-error -1\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    WidgetTree read;
    EXPECT_EQ(session.get_single("iso", read), -10);
    EXPECT_FALSE(read);
    CameraWidget* made = nullptr;
    ASSERT_EQ(gp_widget_new(GP_WIDGET_RADIO, "ISO Speed", &made), GP_OK);
    const WidgetTree written(made);
    ASSERT_EQ(gp_widget_set_value(made, "400"), GP_OK);
    EXPECT_EQ(session.set_single("iso", written), -1);
    EXPECT_EQ(scenario.log(), (std::vector<std::string>{"init", "get_single_config failed -10 iso",
                                                        "set_single_config failed -1 iso"}));
}

TEST(SimcamSingleConfig, WithoutThemLibgphoto2GoesThroughTheWholeTree) {
    for (const char* text : {"", "single-config no\n"}) {
        SCOPED_TRACE(text);
        SimcamScenario scenario(text);
        CameraSession session;
        ASSERT_EQ(session.init(), GP_OK);
        EXPECT_FALSE(driver_offers_single_settings(session));

        WidgetTree iso;
        ASSERT_EQ(session.get_single("iso", iso), GP_OK);
        ASSERT_TRUE(iso);
        EXPECT_EQ(text_of(iso.get()), "100");
        ASSERT_EQ(gp_widget_set_value(iso.get(), "200"), GP_OK);
        ASSERT_EQ(session.set_single("iso", iso), GP_OK);
        WidgetTree widget;
        EXPECT_EQ(session.get_single("nosuchsetting", widget), GP_ERROR_BAD_PARAMETERS);
        // One full read for the read; a full read and a full write for the write.
        EXPECT_EQ(scenario.log(), (std::vector<std::string>{"init", "get_config", "get_config",
                                                            "set_config\tiso=200", "get_config"}));
    }
}

} // namespace
