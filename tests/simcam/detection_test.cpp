// SPDX-License-Identifier: GPL-3.0-or-later
// Finding and opening the simulated camera through libgphoto2's autodetection, and what the
// camera remembers between sessions.

#include "camera_session.h"
#include "support/simcam_scenario.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

std::string shipped_scenario(const std::string& name) {
    const char* folder = std::getenv("SIMCAM_SCENARIOS");
    return std::string(folder ? folder : "") + "/" + name;
}

// Points SIMCAM_SCENARIO at a file (or removes it) for one test.
class ScenarioVariable {
  public:
    explicit ScenarioVariable(const char* value) {
        if (const char* old = std::getenv("SIMCAM_SCENARIO"))
            previous_ = old;
        if (value)
            setenv("SIMCAM_SCENARIO", value, 1);
        else
            unsetenv("SIMCAM_SCENARIO");
    }
    ~ScenarioVariable() {
        if (previous_)
            setenv("SIMCAM_SCENARIO", previous_->c_str(), 1);
        else
            unsetenv("SIMCAM_SCENARIO");
    }

  private:
    std::optional<std::string> previous_;
};

std::string model_of(const CameraSession& session) {
    CameraAbilities abilities;
    gp_camera_get_abilities(session.camera(), &abilities);
    return abilities.model;
}

int autodetected_count() {
    CameraSession session;
    CameraList* list = nullptr;
    gp_list_new(&list);
    gp_camera_autodetect(list, session.context());
    const int count = gp_list_count(list);
    gp_list_free(list);
    return count;
}

TEST(SimcamDetection, ShippedScenariosGiveTheirInitResults) {
    struct Case {
        const char* file;
        int result;
        int detected;
    };
    for (const Case& c :
         {Case{"default.scenario", GP_OK, 1}, Case{"absent.scenario", GP_ERROR_MODEL_NOT_FOUND, 0},
          Case{"busy.scenario", GP_ERROR_IO_LOCK, 1}}) {
        SCOPED_TRACE(c.file);
        const std::string path = shipped_scenario(c.file);
        ScenarioVariable variable(path.c_str());
        EXPECT_EQ(autodetected_count(), c.detected);
        CameraSession session;
        EXPECT_EQ(session.init(), c.result);
    }
}

TEST(SimcamDetection, EveryShippedScenarioReadsCleanly) {
    const std::filesystem::path folder = shipped_scenario("");
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".scenario")
            continue;
        SCOPED_TRACE(entry.path().string());
        ScenarioVariable variable(entry.path().c_str());
        testing::internal::CaptureStderr();
        CameraSession session;
        const int result = session.init();
        const std::string warnings = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(result == GP_OK || result == GP_ERROR_MODEL_NOT_FOUND ||
                    result == GP_ERROR_IO_LOCK)
            << result;
        EXPECT_EQ(warnings, "");
        ++checked;
    }
    EXPECT_GE(checked, 3);
}

TEST(SimcamDetection, WithoutScenarioTheDefaultCameraIsFound) {
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        ScenarioVariable variable(value);
        CameraSession session;
        ASSERT_EQ(session.init(), GP_OK);
        EXPECT_EQ(model_of(session), "Vantlow Simulated Camera");
        WidgetTree tree;
        ASSERT_EQ(session.get_config(tree), GP_OK);
        EXPECT_EQ(label_of(tree.get()), "Camera and Driver Configuration");
    }
}

TEST(SimcamDetection, OpenAndInitErrorsAreReturned) {
    {
        SimcamScenario scenario("open-error -53\n");
        CameraSession session;
        EXPECT_EQ(session.init(), -53);
        EXPECT_EQ(scenario.count("init"), 0) << "the driver must not run when the port fails";
    }
    {
        SimcamScenario scenario("init-error -7\n");
        CameraSession session;
        EXPECT_EQ(session.init(), -7);
        EXPECT_EQ(scenario.log(), std::vector<std::string>{"init failed -7"});
    }
}

TEST(SimcamDetection, CameraAppearsWhenTheScenarioTurnsPresent) {
    SimcamScenario scenario("presence absent\n");
    {
        CameraSession session;
        EXPECT_EQ(session.init(), GP_ERROR_MODEL_NOT_FOUND);
    }
    write_file(scenario.path(), "presence present\nlog \"" + scenario.log_path() + "\"\n");
    CameraSession session;
    EXPECT_EQ(session.init(), GP_OK);
    EXPECT_EQ(scenario.log(), std::vector<std::string>{"init"});
}

TEST(SimcamDetection, StateSurvivesExitAndInit) {
    SimcamScenario scenario;
    std::string first, second, third;
    {
        CameraSession session;
        ASSERT_EQ(session.init(), GP_OK);
        ASSERT_EQ(session.capture(first), GP_OK);
        ASSERT_EQ(session.capture(second), GP_OK);
        WidgetTree tree;
        ASSERT_EQ(session.get_config(tree), GP_OK);
        CameraWidget* iso = nullptr;
        ASSERT_EQ(gp_widget_get_child_by_name(tree.get(), "iso", &iso), GP_OK);
        ASSERT_EQ(gp_widget_set_value(iso, "800"), GP_OK);
        ASSERT_EQ(session.set_config(tree), GP_OK);
        EXPECT_EQ(session.exit(), GP_OK);
        // The same camera object opened again, as after a reconnect.
        ASSERT_EQ(session.init(), GP_OK);
        ASSERT_EQ(session.capture(third), GP_OK);
    }
    EXPECT_EQ(third, "/DCIM/100SIMCM/IMG_0003.JPG");
    CameraSession later;
    ASSERT_EQ(later.init(), GP_OK);
    EXPECT_EQ(later.files("/DCIM/100SIMCM"),
              (std::vector<std::string>{"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"}));
    WidgetTree tree;
    ASSERT_EQ(later.get_config(tree), GP_OK);
    CameraWidget* iso = nullptr;
    ASSERT_EQ(gp_widget_get_child_by_name(tree.get(), "iso", &iso), GP_OK);
    EXPECT_EQ(text_of(iso), "800");
    EXPECT_EQ(scenario.log(),
              (std::vector<std::string>{"init", "capture /DCIM/100SIMCM/IMG_0001.JPG",
                                        "capture /DCIM/100SIMCM/IMG_0002.JPG", "get_config",
                                        "set_config\tiso=800", "exit", "init",
                                        "capture /DCIM/100SIMCM/IMG_0003.JPG", "exit", "init",
                                        "get_config"}));
}

TEST(SimcamDetection, EditedScenarioStartsTheCameraAfresh) {
    SimcamScenario scenario("capture-counter 7\n");
    {
        CameraSession session;
        ASSERT_EQ(session.init(), GP_OK);
        std::string path;
        ASSERT_EQ(session.capture(path), GP_OK);
        EXPECT_EQ(path, "/DCIM/100SIMCM/IMG_0007.JPG");
    }
    write_file(scenario.path(), read_file(scenario.path()) + "# edited\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    EXPECT_TRUE(session.files("/DCIM/100SIMCM").empty());
    std::string path;
    ASSERT_EQ(session.capture(path), GP_OK);
    EXPECT_EQ(path, "/DCIM/100SIMCM/IMG_0007.JPG");
}

} // namespace
