// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/vantlow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Builds the real main window the way the program does at start-up (MyApp::OnInit), under
// whatever simulated camera scenario is set, and destroys it again.
class FrameUnderTest {
  public:
    FrameUnderTest();
    ~FrameUnderTest();
    FrameUnderTest(const FrameUnderTest&) = delete;
    FrameUnderTest& operator=(const FrameUnderTest&) = delete;

    MyFrame* get() const { return frame_; }
    MyFrame* operator->() const { return frame_; }

  private:
    MyFrame* frame_;
};

// Runs the toolkit's event loop for a while, or until the condition holds.
void pump_events(int ms);
bool pump_until(const std::function<bool()>& condition, int timeout_ms);

// Pumps events until no camera job runs and no command waits for one.
bool wait_for_camera(int timeout_ms = 20000);

// Everything the program writes to std::cout while it lives, from any thread; the test
// framework's own output still reaches the terminal. Made and ended while the camera is idle.
class StdoutCapture {
  public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::string text() const;
    // How much has been written: cheap to ask often.
    std::size_t size() const;

  private:
    class Buffer;
    std::unique_ptr<Buffer> buffer_;
    std::streambuf* saved_;
};

struct LoggedMessage {
    wxLogLevel level;
    std::string text;
    std::string function;
    std::string file;
};

// Records log messages (which the program would show as message boxes) while it lives.
class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<LoggedMessage>& messages() const;
    std::vector<std::string> errors() const;

  private:
    class Target;
    Target* target_;
    wxLog* previous_;
};

// The control of the given window name below the window, or null.
template <class Control> Control* find_control(wxWindow* parent, const wxString& name) {
    return dynamic_cast<Control*>(wxWindow::FindWindowByName(name, parent));
}

// Delivers a command event to a control as if the user had used it.
void click(wxWindow* control);
