// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/gui_harness.h"

#include "app/command_turns.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <iostream>
#include <mutex>
#include <wx/apptrait.h>
#include <wx/evtloop.h>

FrameUnderTest::FrameUnderTest() : frame_(nullptr) {
    wxGetApp().OnInit();
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* frame = dynamic_cast<MyFrame*>(window))
            frame_ = frame;
    pump_until([this] { return frame_->IsShownOnScreen(); }, 2000);
    pump_events(50);
}

FrameUnderTest::~FrameUnderTest() {
    frame_->Destroy();
    pump_until([this] { return wxTopLevelWindows.Find(frame_) == nullptr; }, 5000);
}

void pump_events(int ms) {
    pump_until([] { return false; }, ms);
}

bool pump_until(const std::function<bool()>& condition, int timeout_ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        wxTheApp->Yield(true);
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        wxMilliSleep(2);
    }
}

bool wait_for_camera(int timeout_ms) {
    return pump_until([] { return !command_turns().camera_busy(); }, timeout_ms);
}

// The camera thread writes while the test reads.
class StdoutCapture::Buffer : public std::streambuf {
  public:
    std::string text() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_;
    }
    std::size_t size() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_.size();
    }

  protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) {
            std::lock_guard<std::mutex> lock(mutex_);
            text_.push_back(traits_type::to_char_type(c));
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        std::lock_guard<std::mutex> lock(mutex_);
        text_.append(s, static_cast<size_t>(n));
        return n;
    }

  private:
    mutable std::mutex mutex_;
    std::string text_;
};

StdoutCapture::StdoutCapture()
    : buffer_(std::make_unique<Buffer>()), saved_(std::cout.rdbuf(buffer_.get())) {}

StdoutCapture::~StdoutCapture() {
    std::cout.rdbuf(saved_);
}

std::string StdoutCapture::text() const {
    return buffer_->text();
}

std::size_t StdoutCapture::size() const {
    return buffer_->size();
}

class LogCapture::Target : public wxLog {
  public:
    std::vector<LoggedMessage> messages;

  protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo& info) override {
        messages.push_back({level, msg.ToStdString(wxConvUTF8), info.func ? info.func : "",
                            info.filename ? info.filename : ""});
    }
};

LogCapture::LogCapture() : target_(new Target) {
    previous_ = wxLog::SetActiveTarget(target_);
}

LogCapture::~LogCapture() {
    delete wxLog::SetActiveTarget(previous_);
}

const std::vector<LoggedMessage>& LogCapture::messages() const {
    return target_->messages;
}

std::vector<std::string> LogCapture::errors() const {
    std::vector<std::string> texts;
    for (const LoggedMessage& m : target_->messages)
        if (m.level == wxLOG_Error)
            texts.push_back(m.text);
    return texts;
}

void click(wxWindow* control) {
    wxCommandEvent event(wxEVT_BUTTON, control->GetId());
    event.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(event);
}

namespace {

// An assertion of the toolkit would otherwise wait in a dialog for a person.
void fail_on_assert(const wxString& file, int line, const wxString& func, const wxString& cond,
                    const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str(), line) << "toolkit assertion in " << func.utf8_str() << ": "
                                          << cond.utf8_str() << " " << msg.utf8_str();
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "The toolkit could not start (is there a display?)\n");
        return 1;
    }
    wxSetAssertHandler(fail_on_assert);
    // Message boxes would wait for a person; tests read the log through LogCapture.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxEventLoopBase* loop = wxTheApp->GetTraits()->CreateEventLoop();
    wxEventLoopBase::SetActive(loop);
    int result = RUN_ALL_TESTS();
    wxEventLoopBase::SetActive(nullptr);
    delete loop;
    wxEntryCleanup();
    return result;
}
