// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the user meets it: its size, menu, pages and the series controls.
#include "support/gui_harness.h"
#include "support/simcam_scenario.h"

#include "app/series_page.h"
#include "capture/run_state.h"

#include <gtest/gtest.h>
#include <wx/filepicker.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace {

class MainWindow : public testing::Test {
  protected:
    SimcamScenario camera{""};
    FrameUnderTest frame;
};

wxWindow* series_page(MyFrame* frame) {
    return frame->notebook->GetPage(0);
}

wxStaticText* label_at(wxWindow* page, const wxString& text) {
    for (wxWindow* child : page->GetChildren())
        if (auto* label = dynamic_cast<wxStaticText*>(child))
            if (label->GetLabel() == text)
                return label;
    return nullptr;
}

TEST_F(MainWindow, OpensAt690By720AndCannotGrowBeyond) {
    EXPECT_EQ(frame->GetTitle(), "Vantlow");
    EXPECT_EQ(frame->GetSize(), wxSize(690, 720));
    EXPECT_EQ(frame->GetMaxSize(), wxSize(690, 720));
    EXPECT_TRUE(frame->IsShown());
    wxIcon icon = frame->GetIcon();
    ASSERT_TRUE(icon.IsOk());
    EXPECT_EQ(icon.GetWidth(), 32);
    EXPECT_EQ(icon.GetHeight(), 32);
    wxImage picture = wxBitmap(icon).ConvertToImage();
    EXPECT_TRUE(picture.HasAlpha() || picture.HasMask()) << "its corners are transparent";

    frame->SetSize(900, 900);
    pump_events(50);
    EXPECT_LE(frame->GetSize().x, 690);
    EXPECT_LE(frame->GetSize().y, 720);

    frame->SetSize(400, 400);
    pump_events(50);
    EXPECT_EQ(frame->GetSize(), frame->GetMinSize()) << "shrinks only down to what the pages need";
    EXPECT_GT(frame->GetMinSize().x, 400);
}

TEST_F(MainWindow, FileMenuHasExitDetectCameraThenMakeMovieWithTheirHelpTexts) {
    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 1u);
    EXPECT_EQ(bar->GetMenuLabel(0), "&File");
    const wxMenuItemList& items = bar->GetMenu(0)->GetMenuItems();
    ASSERT_EQ(items.size(), 3u);
    wxMenuItem* exitItem = items[0];
    wxMenuItem* detectItem = items[1];
    wxMenuItem* movieItem = items[2];
    EXPECT_EQ(exitItem->GetId(), wxID_EXIT);
    EXPECT_EQ(exitItem->GetItemLabel(), "E&xit");
    EXPECT_EQ(detectItem->GetId(), 30);
    EXPECT_EQ(detectItem->GetItemLabel(), "&Detect Camera");
    EXPECT_EQ(movieItem->GetItemLabel(), wxString::FromUTF8("&Make Movie\u2026"));
    EXPECT_FALSE(exitItem->IsCheckable());
    EXPECT_FALSE(detectItem->IsCheckable());
    EXPECT_FALSE(movieItem->IsCheckable());

    // Highlighting an item is what puts its help into the status bar.
    for (auto [id, help] : {std::pair<int, const char*>{wxID_EXIT, "Quit the application"},
                            {30, "Detect camera"},
                            {movieItem->GetId(), "Make a movie of a series' pictures"}}) {
        wxMenuEvent highlight(wxEVT_MENU_HIGHLIGHT, id, bar->GetMenu(0));
        frame->ProcessWindowEvent(highlight);
        EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), help);
    }
    EXPECT_EQ(frame->GetStatusBar()->GetFieldsCount(), 1);
}

TEST_F(MainWindow, NotebookShowsFivePagesWithTheFirstSelected) {
    ASSERT_EQ(frame->notebook->GetPageCount(), 5u);
    EXPECT_EQ(frame->notebook->GetPageText(0), "Timelapse Settings");
    EXPECT_EQ(frame->notebook->GetPageText(1), "Camera Settings");
    EXPECT_EQ(frame->notebook->GetPageText(2), "Captured Images");
    EXPECT_EQ(frame->notebook->GetPageText(3), "Live View");
    EXPECT_EQ(frame->notebook->GetPageText(4), "Series Options");
    EXPECT_EQ(frame->notebook->GetSelection(), 0);

    frame->notebook->ChangeSelection(2);
    frame->notebook->SetSelection(1);
    pump_events(20);
    EXPECT_EQ(frame->notebook->GetSelection(), 1) << "page changes are never vetoed";
    EXPECT_EQ(frame->GetTitle(), "Vantlow");
}

TEST_F(MainWindow, SeriesPageHoldsItsControlsAtTheirPlaces) {
    wxWindow* page = series_page(frame.get());
    struct Expected {
        wxWindow* control;
        int id;
        wxPoint position;
    };
    for (const Expected& e :
         {Expected{captureButton, 20, {20, 20}}, Expected{startButton, 40, {130, 20}},
          Expected{stopButton, 50, {218, 20}}, Expected{directoryPicker, 50, {445, 20}}}) {
        ASSERT_NE(e.control, nullptr);
        EXPECT_EQ(e.control->GetParent(), page);
        EXPECT_EQ(e.control->GetId(), e.id);
        EXPECT_EQ(e.control->GetPosition().y, e.position.y);
        EXPECT_GE(e.control->GetPosition().x, e.position.x);
    }
    EXPECT_EQ(captureButton->GetPosition(), wxPoint(20, 20));
    EXPECT_EQ(captureButton->GetLabel(), "Capture Image");
    EXPECT_EQ(startButton->GetLabel(), "Start");
    EXPECT_EQ(stopButton->GetLabel(), "Stop");
    EXPECT_EQ(directoryPicker->GetSize(), wxSize(200, 34));
    EXPECT_TRUE(directoryPicker->HasFlag(wxDIRP_CHANGE_DIR));
    EXPECT_EQ(directoryPicker->GetTextCtrl(), nullptr) << "no text field beside the button";
    EXPECT_EQ(directoryPicker->GetPath(), wxGetCwd());

    struct Field {
        wxTextCtrl* control;
        const char* name;
        const char* value;
        wxPoint position;
        const char* label;
        const char* unit;
    };
    for (const Field& f :
         {Field{intervalText, "Interval", "5", {178, 65}, "Interval: ", "Seconds"},
          Field{framesText, "Frames", "1", {178, 95}, "Frames per interval: ", "Frames"},
          Field{runtimeText, "Runtime", "0", {528, 65}, "Maximum runtime: ", "Minutes"},
          Field{maxFramesText, "MaxFrames", "10", {528, 95}, "Maximum frames: ", "Frames"}}) {
        ASSERT_NE(f.control, nullptr);
        EXPECT_EQ(find_control<wxTextCtrl>(page, f.name), f.control);
        EXPECT_EQ(f.control->GetValue(), f.value);
        EXPECT_EQ(f.control->GetPosition(), f.position);
        EXPECT_EQ(f.control->GetSize().x, 60);
        wxStaticText* label = label_at(page, f.label);
        ASSERT_NE(label, nullptr) << f.label;
        EXPECT_EQ(label->GetPosition(), wxPoint(f.position.x - 158, f.position.y + 5));
    }
    EXPECT_NE(label_at(page, "Seconds"), nullptr);
    EXPECT_EQ(label_at(page, "Seconds")->GetPosition(), wxPoint(242, 70));
    EXPECT_EQ(label_at(page, "Minutes")->GetPosition(), wxPoint(592, 70));
    EXPECT_EQ(label_at(page, "Working directory: ")->GetPosition().y, 28);

    int boxes = 0, labels = 0;
    for (wxWindow* child : page->GetChildren()) {
        if (auto* box = dynamic_cast<wxStaticBox*>(child)) {
            ++boxes;
            EXPECT_EQ(box->GetPosition(), wxPoint(15, 125));
            EXPECT_EQ(box->GetSize(), wxSize(650, 502));
        }
        if (dynamic_cast<wxStaticText*>(child) && !dynamic_cast<wxStaticBox*>(child))
            ++labels;
    }
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(labels, 9);
    EXPECT_EQ(page->GetChildren().size(), 18u);
}

TEST_F(MainWindow, ControlsKeepTheirPlacesWhenTheWindowShrinks) {
    const wxPoint pickerAt = directoryPicker->GetPosition();
    frame->SetSize(frame->GetMinSize());
    pump_events(50);
    EXPECT_EQ(maxFramesText->GetPosition(), wxPoint(528, 95));
    EXPECT_EQ(directoryPicker->GetPosition(), pickerAt);
}

// The series page's rows as the page lays them out, each control with its given position.
struct Placed {
    wxWindow* control;
    wxPoint given;
};
using PlacedRow = std::vector<Placed>;

std::vector<PlacedRow> series_rows(wxWindow* page) {
    return {{{captureButton, {20, 20}},
             {startButton, {130, 20}},
             {stopButton, {218, 20}},
             {label_at(page, "Working directory: "), {320, 28}},
             {directoryPicker, {445, 20}}},
            {{label_at(page, "Interval: "), {20, 70}},
             {intervalText, {178, 65}},
             {label_at(page, "Seconds"), {242, 70}},
             {label_at(page, "Maximum runtime: "), {370, 70}},
             {runtimeText, {528, 65}},
             {label_at(page, "Minutes"), {592, 70}}},
            {{label_at(page, "Frames per interval: "), {20, 100}},
             {framesText, {178, 95}},
             {framesText->GetNextSibling(), {242, 100}},
             {label_at(page, "Maximum frames: "), {370, 100}},
             {maxFramesText, {528, 95}},
             {maxFramesText->GetNextSibling(), {592, 100}}}};
}

TEST_F(MainWindow, SeriesPageShowsEveryControlWholeWithTheThemesRealSizes) {
    wxWindow* page = series_page(frame.get());
    std::vector<wxWindow*> controls(page->GetChildren().begin(), page->GetChildren().end());
    // Moving right must not push a control off the page. (The preview's frame is given a height
    // that runs past the bottom of the window; that is no concern here.)
    for (wxWindow* control : controls)
        EXPECT_LE(control->GetRect().GetRight(), page->GetClientSize().x - 1)
            << "'" << control->GetLabel() << "' runs off the page";
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i]->GetRect().Intersects(controls[j]->GetRect()))
                << "'" << controls[i]->GetLabel() << "' overlaps '" << controls[j]->GetLabel()
                << "'";

    for (wxButton* button : {captureButton, startButton, stopButton}) {
        const wxSize needed = button->GetBestSize();
        EXPECT_GE(button->GetSize().x, needed.x) << button->GetLabel() << " is cut off";
        EXPECT_GE(button->GetSize().y, needed.y) << button->GetLabel() << " is cut off";
        EXPECT_LT(button->GetTextExtent(button->GetLabel()).x, button->GetSize().x);
    }
}

TEST_F(MainWindow, SeriesPageMovesAControlOnlyWhenItsLeftNeighbourWouldCoverIt) {
    const int gap = 6;
    for (const PlacedRow& row : series_rows(series_page(frame.get()))) {
        int shift = 0;
        for (size_t i = 0; i < row.size(); ++i) {
            wxWindow* control = row[i].control;
            ASSERT_NE(control, nullptr);
            const wxPoint at = control->GetPosition();
            const wxString name =
                control->GetLabel().empty() ? control->GetName() : control->GetLabel();
            EXPECT_EQ(at.y, row[i].given.y) << name << " moved off its row";
            if (i == 0) {
                EXPECT_EQ(at, row[i].given) << name << " starts its row";
                continue;
            }
            // Carried along by the controls before it, where would it be?
            const int carried = row[i].given.x + shift;
            const wxRect left = row[i - 1].control->GetRect();
            if (left.GetRight() < carried)
                EXPECT_EQ(at.x, carried) << name << " moved though nothing covered it";
            else
                EXPECT_EQ(at.x, left.GetRight() + 1 + gap)
                    << name << " is not just clear of " << row[i - 1].control->GetLabel();
            shift = at.x - row[i].given.x;
        }
    }
    // This theme draws "Capture Image" wider than the 110 px left before "Start".
    EXPECT_GT(captureButton->GetRect().GetRight(), 130);
    EXPECT_EQ(startButton->GetPosition().x, captureButton->GetRect().GetRight() + 1 + gap);
    EXPECT_EQ(stopButton->GetPosition().x - 218, startButton->GetPosition().x - 130)
        << "Stop keeps its distance from Start";
    EXPECT_EQ(intervalText->GetPosition(), wxPoint(178, 65)) << "the settings rows had room";
}

TEST_F(MainWindow, APickedDirectoryReachesNoHandlerThoughItSharesStopsId) {
    StdoutCapture console;
    LogCapture log;
    TempDir chosen;
    wxFileDirPickerEvent picked(wxEVT_DIRPICKER_CHANGED, directoryPicker, directoryPicker->GetId(),
                                chosen.path());
    directoryPicker->GetEventHandler()->ProcessEvent(picked);
    pump_events(20);
    EXPECT_EQ(console.text(), "") << "Stop would have written to the console";
    EXPECT_TRUE(log.messages().empty());
}

TEST_F(MainWindow, IdleRepaintsOnlyWhileNoPassIsUnderWay) {
    int paints = 0;
    wxWindow* page = series_page(frame.get());
    auto count = [&paints](wxPaintEvent& event) {
        ++paints;
        event.Skip();
    };
    page->Bind(wxEVT_PAINT, count);

    captureBusy = true;
    pump_events(200);
    paints = 0;
    pump_events(300);
    int paintsWhileBusy = paints;

    captureBusy = false;
    paints = 0;
    pump_events(300);
    int paintsWhileIdle = paints;
    page->Unbind(wxEVT_PAINT, count);

    EXPECT_EQ(paintsWhileBusy, 0);
    EXPECT_GT(paintsWhileIdle, 0);
}

} // namespace
