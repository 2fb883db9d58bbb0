// SPDX-License-Identifier: GPL-3.0-or-later
// The Camera Settings page built from the camera's configuration tree.
#include "support/gui_harness.h"
#include "support/simcam_scenario.h"

#include "camera/settings_page.h"

#include <gtest/gtest.h>
#include <wx/stattext.h>

namespace {

const char* const tree = R"(
config "Camera Configuration"
  section imgsettings "Image Settings"
    radio iso "ISO Speed" value=100 choice=100 choice=200 choice=400
    text owner "Owner" value=Ann
    radio "" "White Balance" value=Auto choice=Auto choice=Daylight
    menu focus "Focus Mode" value=AF choice=AF choice=MF
  end
  section capture "Capture"
    radio shutter "Shutter" value=1/60 choice=1/30 choice=1/125
    text note "Note" value=x
    radio iso "Second ISO" value=800 choice=800
  end
end
)";

class SettingsPage : public testing::Test {
  protected:
    SimcamScenario camera{tree};
    StdoutCapture console;
    FrameUnderTest frame;

    wxWindow* page() const { return frame->notebook->GetPage(1); }

    wxStaticText* label_left_of(wxComboBox* combo) const {
        for (wxWindow* child : page()->GetChildren())
            if (auto* label = dynamic_cast<wxStaticText*>(child))
                if (label->GetPosition().y == combo->GetPosition().y + 6)
                    return label;
        return nullptr;
    }
};

TEST_F(SettingsPage, OneRowPerRadioParameterInTreeOrder) {
    EXPECT_EQ(console.text(), "Detecting Camera.\n\nCamera initialised.\n\n"
                              "Found parameter: iso\n"
                              "Found parameter: owner\n"
                              "Found parameter: White Balance\n"
                              "Found parameter: focus\n"
                              "Found parameter: shutter\n"
                              "Found parameter: note\n"
                              "Found parameter: iso\n"
                              "\n");
    EXPECT_EQ(parameterNames, (std::vector<wxString>{"iso", "White Balance", "shutter", "iso"}));
    ASSERT_EQ(parameterCombos.size(), 4u);

    struct Row {
        const char* label;
        const char* value;
        std::vector<wxString> choices;
    };
    const Row rows[] = {{"ISO Speed", "100", {"100", "200", "400"}},
                        {"White Balance", "Auto", {"Auto", "Daylight"}},
                        {"Shutter", "1/60", {"1/30", "1/125"}},
                        // The repeated key resolves to the first widget of that name.
                        {"ISO Speed", "100", {"100", "200", "400"}}};
    for (int i = 0; i < 4; ++i) {
        wxComboBox* combo = parameterCombos[i];
        EXPECT_EQ(combo->GetParent(), page());
        EXPECT_EQ(combo->GetPosition(), wxPoint(250, 100 + 40 * i)) << i;
        EXPECT_EQ(combo->GetName(), parameterNames[i]);
        EXPECT_EQ(combo->GetValue(), rows[i].value) << "shown even when not among the choices";
        EXPECT_TRUE(combo->IsEditable());
        std::vector<wxString> choices;
        for (unsigned c = 0; c < combo->GetCount(); ++c)
            choices.push_back(combo->GetString(c));
        EXPECT_EQ(choices, rows[i].choices) << i;
        wxStaticText* label = label_left_of(combo);
        ASSERT_NE(label, nullptr) << i;
        EXPECT_EQ(label->GetLabel(), rows[i].label);
        EXPECT_EQ(label->GetPosition(), wxPoint(20, 106 + 40 * i));
    }
    EXPECT_EQ(page()->GetChildren().size(), 2u + 2 * 4) << "menus and texts get no row";
}

TEST_F(SettingsPage, StartUpReadsTheConfigurationOnceHoweverManyWidgetsItVisits) {
    // The root, two sections and seven parameters are visited, all in the one tree read.
    EXPECT_EQ(camera.count("get_config"), 1);
    EXPECT_EQ(camera.count("set_config"), 0);
}

TEST_F(SettingsPage, BothCheckBoxesStartChecked) {
    struct Box {
        wxCheckBox* box;
        const char* name;
        const char* label;
        wxPoint position;
    };
    for (const Box& b :
         {Box{retrieveImageCheck, "RetrieveImage", "Retrieve image from camera.", {20, 20}},
          Box{deleteImageCheck, "DeleteImage", "Delete image from camera.", {20, 60}}}) {
        ASSERT_NE(b.box, nullptr);
        EXPECT_EQ(find_control<wxCheckBox>(page(), b.name), b.box);
        EXPECT_EQ(b.box->GetLabel(), b.label);
        EXPECT_EQ(b.box->GetPosition(), b.position);
        EXPECT_TRUE(b.box->IsChecked());
    }
}

TEST_F(SettingsPage, ChoosingAnEntrySetsTheChangedFlagButTypingDoesNot) {
    settingsChanged = false;
    wxComboBox* iso = parameterCombos[0];
    iso->SetValue("1600");
    pump_events(20);
    EXPECT_FALSE(settingsChanged);

    iso->SetSelection(2);
    wxCommandEvent chosen(wxEVT_COMBOBOX, iso->GetId());
    chosen.SetEventObject(iso);
    chosen.SetInt(2);
    iso->ProcessWindowEvent(chosen);
    EXPECT_TRUE(settingsChanged);
    EXPECT_EQ(iso->GetValue(), "400");
    EXPECT_EQ(camera.count("set_config"), 0) << "a choice is applied by the next capture";
}

} // namespace
