// SPDX-License-Identifier: GPL-3.0-or-later
// A click on Stop can reach the window between a worker's request and its being served: the
// series must end there, with nothing of it after "Stopping capture.".
#include "series/series_window.h"

#include "app/series_page.h"
#include "capture/run_state.h"

#include <functional>
#include <gtest/gtest.h>
#include <wx/eventfilter.h>

namespace {

// Clicks Stop once, just before the window serves the first worker request for which the
// condition holds.
class StopBeforeRequest : public wxEventFilter {
  public:
    StopBeforeRequest(wxObject* window, std::function<bool()> condition)
        : window_(window), condition_(std::move(condition)) {
        wxEvtHandler::AddFilter(this);
    }
    ~StopBeforeRequest() override { wxEvtHandler::RemoveFilter(this); }

    int FilterEvent(wxEvent& event) override {
        if (!clicked && event.GetEventType() == wxEVT_ASYNC_METHOD_CALL &&
            event.GetEventObject() == window_ && condition_()) {
            clicked = true;
            click(stopButton);
        }
        return Event_Skip;
    }

    bool clicked = false;

  private:
    wxObject* window_;
    std::function<bool()> condition_;
};

const char pausedNone[] = "Sleeping for 0 seconds... ";

TEST(SeriesStopTiming, NothingOfTheSeriesFollowsAStopThatArrivesBeforeARequestIsServed) {
    struct Case {
        const char* moment;
        // Whether the request about to be served is the one of this moment; the second pass
        // has been taken in each.
        std::function<bool(const std::string& console)> request;
        const char* tail; // what the second pass has printed before Stop
    };
    const Case cases[] = {
        {"the third pass",
         [](const std::string& console) {
             return captureBusy && occurrences(console, "Capturing Image...") == 2;
         },
         "Sleeping for 0 seconds... done.\n\n"},
        {"the sleeping text after the second pass",
         [](const std::string& console) {
             return occurrences(console, "Capturing Image...") == 2 &&
                    ends_with(console, "deleted from camera.\n\n");
         },
         ""},
        {"the end of the second pause",
         [](const std::string& console) {
             return occurrences(console, "Capturing Image...") == 2 &&
                    ends_with(console, pausedNone);
         },
         pausedNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("Stop before ") + c.moment);
        SeriesWindow w;
        w.settings("0", "0", "0");
        StopBeforeRequest stop(w.frame->get(), [&] { return c.request(w.console.text()); });
        click(startButton);
        ASSERT_TRUE(series_ended(10000));
        ASSERT_TRUE(stop.clicked);
        EXPECT_EQ(w.console.text(), std::string(startUp) + "Starting capture.\n\n" + w.pass(1, 1) +
                                        pausedNone + "done.\n\n" + w.pass(2, 2) + c.tail +
                                        stopping);
        EXPECT_EQ(w.camera.count("capture "), 2);
        EXPECT_EQ(buttons(), idle);
    }
}

} // namespace
