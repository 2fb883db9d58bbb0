// SPDX-License-Identifier: GPL-3.0-or-later
// Finding and setting configuration widgets, through the real camera library and the
// simulated camera, checked against what the camera received.
#include "support/simcam_scenario.h"

#include "camera/camera_handle.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const char* const tree = R"(
config "Camera Configuration"
  section main "Main"
    radio mode "Mode" value=Auto choice=Auto choice=1 choice=Manual
    radio bare "Bare" value=""
    menu focus "Focus" value=AF choice=AF choice=MF
    text owner "Owner" value=Ann
    range zoom "Zoom" value=0 min=0 max=10 step=1
    toggle flash "Flash" value=0
    date when "When" value=0
    button af "Autofocus"
    text shutter "Speed" value=label-of-shutter
    text Speed "Other" value=named-speed
    text "a/b" "Slashed" value=slashed
  end
  section more "More"
    text inner "Inner" value=deep
  end
end
)";

class CameraConfig : public testing::Test {
  protected:
    void SetUp() override {
        init_camera_handle(&cameraHandle);
        ASSERT_EQ(gp_camera_init(cameraHandle.camera, cameraHandle.context), GP_OK);
        camera.clear_log();
    }
    void TearDown() override { gp_camera_exit(cameraHandle.camera, cameraHandle.context); }

    // Name of the widget the key resolves to, or the lookup's error code as text.
    std::string resolve(const char* key) {
        CameraWidget* widget;
        CameraWidget* root;
        int result = find_config_widget(&cameraHandle, key, &widget, &root);
        if (result != GP_OK)
            return std::to_string(result);
        const char* name = "";
        gp_widget_get_name(widget, &name);
        std::string found = widget == root ? "<root>" : name;
        gp_widget_free(root);
        return found;
    }

    // The value the camera now holds for a widget, as text.
    std::string value_of(const char* key) {
        CameraWidget* widget;
        CameraWidget* root;
        EXPECT_EQ(find_config_widget(&cameraHandle, key, &widget, &root), GP_OK);
        CameraWidgetType type;
        gp_widget_get_type(widget, &type);
        std::string text;
        if (type == GP_WIDGET_RANGE) {
            float value;
            gp_widget_get_value(widget, &value);
            text = std::to_string(value);
        } else if (type == GP_WIDGET_TOGGLE || type == GP_WIDGET_DATE) {
            int value;
            gp_widget_get_value(widget, &value);
            text = std::to_string(value);
        } else {
            const char* value = "";
            gp_widget_get_value(widget, &value);
            text = value;
        }
        gp_widget_free(root);
        return text;
    }

    int writes() { return camera.count("set_config"); }

    SimcamScenario camera{tree};
};

TEST_F(CameraConfig, LooksUpByNameBeforeLabelThenByPath) {
    EXPECT_EQ(resolve("owner"), "owner");
    EXPECT_EQ(resolve("Owner"), "owner") << "found by its label";
    EXPECT_EQ(resolve("Speed"), "Speed") << "a name wins over another widget's label";
    EXPECT_EQ(resolve("a/b"), "a/b") << "a whole name with a slash is tried before a path";
    EXPECT_EQ(resolve("main/inner"), "inner");
    EXPECT_EQ(resolve("//more///inner"), "inner") << "repeated slashes are one separator";
    EXPECT_EQ(resolve("more/inner/"), "inner") << "a trailing slash ends in nothing to match";
    EXPECT_EQ(resolve("more/nothing"), "more") << "an unmatched last component is no error";
    EXPECT_EQ(resolve("nothing/inner"), std::to_string(GP_ERROR));
    EXPECT_EQ(resolve("nothing"), "<root>");
    EXPECT_EQ(camera.count("get_config"), 10) << "each lookup fetches the whole configuration";
}

TEST_F(CameraConfig, TextAndUnsettableWidgets) {
    EXPECT_EQ(set_config_value(&cameraHandle, "owner", "Jörg"), GP_OK);
    EXPECT_EQ(value_of("owner"), "Jörg");
    EXPECT_EQ(writes(), 1);

    for (const char* key : {"af", "main", "nothing"})
        EXPECT_EQ(set_config_value(&cameraHandle, key, "1"), GP_ERROR_BAD_PARAMETERS) << key;
    EXPECT_EQ(set_config_value(&cameraHandle, "nothing/owner", "x"), GP_ERROR);
    EXPECT_EQ(writes(), 1) << "nothing was written for the failures";
}

TEST_F(CameraConfig, RangeTakesNumbersWithinItsBoundsOnly) {
    struct Case {
        const char* text;
        int result;
        const char* stored;
    };
    for (const Case& c : {Case{"5", GP_OK, "5.000000"}, Case{"10", GP_OK, "10.000000"},
                          Case{"7x", GP_OK, "7.000000"}, Case{"0", GP_OK, "0.000000"},
                          Case{"11", GP_ERROR_BAD_PARAMETERS, "0.000000"},
                          Case{"-1", GP_ERROR_BAD_PARAMETERS, "0.000000"},
                          Case{"abc", GP_ERROR_BAD_PARAMETERS, "0.000000"},
                          Case{"nan", GP_ERROR_BAD_PARAMETERS, "0.000000"},
                          Case{"inf", GP_ERROR_BAD_PARAMETERS, "0.000000"},
                          Case{"", GP_ERROR_BAD_PARAMETERS, "0.000000"},
                          Case{"   ", GP_ERROR_BAD_PARAMETERS, "0.000000"}}) {
        EXPECT_EQ(set_config_value(&cameraHandle, "zoom", c.text), c.result) << c.text;
        EXPECT_EQ(value_of("zoom"), c.stored) << c.text;
        if (c.result == GP_OK)
            set_config_value(&cameraHandle, "zoom", "0");
    }
    EXPECT_EQ(camera.count("set_config\tzoom=5"), 1);
    EXPECT_EQ(camera.count("set_config\tzoom=7"), 1);
}

TEST_F(CameraConfig, DateTakesALeadingIntegerAndBlankMeansMinusOne) {
    EXPECT_EQ(set_config_value(&cameraHandle, "when", "600"), GP_OK);
    EXPECT_EQ(value_of("when"), "600");
    EXPECT_EQ(set_config_value(&cameraHandle, "when", "x"), GP_ERROR_BAD_PARAMETERS);
    EXPECT_EQ(value_of("when"), "600");
    EXPECT_EQ(set_config_value(&cameraHandle, "when", "  "), GP_OK);
    EXPECT_EQ(value_of("when"), "-1");
}

TEST_F(CameraConfig, ToggleUnderstandsOnAndOffWords) {
    for (const char* on : {"1", "on", "TRUE", "Yes"}) {
        set_config_value(&cameraHandle, "flash", "0");
        EXPECT_EQ(set_config_value(&cameraHandle, "flash", on), GP_OK) << on;
        EXPECT_EQ(value_of("flash"), "1") << on;
    }
    for (const char* off : {"0", "off", "False", "NO"}) {
        set_config_value(&cameraHandle, "flash", "1");
        EXPECT_EQ(set_config_value(&cameraHandle, "flash", off), GP_OK) << off;
        EXPECT_EQ(value_of("flash"), "0") << off;
    }
    camera.clear_log();
    for (const char* other : {"maybe", "", "2", "on "})
        EXPECT_EQ(set_config_value(&cameraHandle, "flash", other), GP_ERROR_BAD_PARAMETERS)
            << other;
    EXPECT_EQ(writes(), 0);
}

TEST_F(CameraConfig, ChoicesMatchByTextFirstThenByIndex) {
    EXPECT_EQ(set_config_value(&cameraHandle, "mode", "Manual"), GP_OK);
    EXPECT_EQ(value_of("mode"), "Manual");
    EXPECT_EQ(set_config_value(&cameraHandle, "mode", "1"), GP_OK);
    EXPECT_EQ(value_of("mode"), "1") << "the choice text 1, not the choice at index 1";
    EXPECT_EQ(set_config_value(&cameraHandle, "mode", "0"), GP_OK);
    EXPECT_EQ(value_of("mode"), "Auto");
    EXPECT_EQ(set_config_value(&cameraHandle, "mode", "2"), GP_OK);
    EXPECT_EQ(value_of("mode"), "Manual");
    EXPECT_EQ(camera.count("set_config\tmode=Manual"), 2) << "what the camera received";

    camera.clear_log();
    for (const char* unknown : {"manual", "3", "-1", ""})
        EXPECT_EQ(set_config_value(&cameraHandle, "mode", unknown), GP_ERROR_BAD_PARAMETERS)
            << unknown;
    EXPECT_EQ(writes(), 0) << "a text that matches no choice is not reported as set";
    EXPECT_EQ(value_of("mode"), "Manual");

    EXPECT_EQ(set_config_value(&cameraHandle, "focus", "MF"), GP_OK);
    EXPECT_EQ(value_of("focus"), "MF");
    EXPECT_EQ(set_config_value(&cameraHandle, "bare", "x"), GP_ERROR_BAD_PARAMETERS);
    EXPECT_EQ(set_config_value(&cameraHandle, "bare", "0"), GP_ERROR_BAD_PARAMETERS);
}

TEST(CameraConfigFailures, LibraryCodesPassThroughAndNothingIsWritten) {
    SimcamScenario camera(std::string(tree) + "get-config-error -7\n");
    init_camera_handle(&cameraHandle);
    ASSERT_EQ(gp_camera_init(cameraHandle.camera, cameraHandle.context), GP_OK);
    CameraWidget* widget;
    CameraWidget* root;
    EXPECT_EQ(find_config_widget(&cameraHandle, "owner", &widget, &root), -7);
    EXPECT_EQ(set_config_value(&cameraHandle, "owner", "x"), -7);
    gp_camera_exit(cameraHandle.camera, cameraHandle.context);

    SimcamScenario refusing(std::string(tree) + "set-config-error -10\n");
    init_camera_handle(&cameraHandle);
    ASSERT_EQ(gp_camera_init(cameraHandle.camera, cameraHandle.context), GP_OK);
    EXPECT_EQ(set_config_value(&cameraHandle, "owner", "Bob"), -10);
    ASSERT_EQ(find_config_widget(&cameraHandle, "owner", &widget, &root), GP_OK);
    const char* value;
    gp_widget_get_value(widget, &value);
    EXPECT_STREQ(value, "Ann");
    gp_widget_free(root);
    gp_camera_exit(cameraHandle.camera, cameraHandle.context);
}

TEST(CameraHandleInit, NullIsIgnoredAndReinitialisingStartsAFreshConversation) {
    init_camera_handle(nullptr);
    init_camera_handle(&cameraHandle);
    Camera* first = cameraHandle.camera;
    EXPECT_STREQ(cameraHandle.folder, "/");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(cameraHandle.context, nullptr);
    init_camera_handle(&cameraHandle);
    EXPECT_NE(cameraHandle.camera, nullptr);
    EXPECT_STREQ(cameraHandle.folder, "/");
}

} // namespace
