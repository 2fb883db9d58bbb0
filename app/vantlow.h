// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <wx/dynarray.h>
#include <wx/frame.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/thread.h>
#include <wx/wx.h>

class MyThread;
struct CaptureResult;
struct CameraLoss;
WX_DEFINE_ARRAY_PTR(MyThread*, MyThreadArray);

class MyApp : public wxApp {
  public:
    MyApp();
    ~MyApp() override;
    bool OnInit() override;

    // Workers that have been created and have not yet left; guarded by workerLock, as is
    // waitingForWorkers.
    MyThreadArray workerThreads;
    wxMutex workerLock{wxMUTEX_RECURSIVE};
    wxSemaphore workersDone{0, 0};
    bool waitingForWorkers = false;
};

wxDECLARE_APP(MyApp);

class MyFrame : public wxFrame {
  public:
    MyFrame();
    ~MyFrame() override;

    void CaptureImage();
    // The second half of a pass, on the GUI thread once the camera is done.
    void CaptureImage(const CaptureResult& result);
    // A series waiting for its lost camera: one try to take it back, and with it back, the
    // pictures left on its card fetched; `back` is called then.
    void ReconnectCamera(const CameraLoss& loss, std::function<void()> back);
    // The camera stayed away too long: the series ends as after a failed capture.
    void CameraNotBack(int result);
    MyThread* CreateThread();

    void CapturePressed(wxCommandEvent& event);
    void StartCapture(wxCommandEvent& event);
    void StopCapture(wxCommandEvent& event);
    void QuitApplication(wxCommandEvent& event);
    void DetectCamera(wxCommandEvent& event);
    // The second half of a detection, on the GUI thread once the camera has answered.
    void DetectCamera(int result);
    void MakeMovie(wxCommandEvent& event);
    void ParameterChanged(wxCommandEvent& event);
    void HandleNotebookPage(wxBookCtrlEvent& event);
    void HandleIdle(wxIdleEvent& event);

    wxPanel* mainPanel;
    wxNotebook* notebook;
    wxBoxSizer* mainSizer;

  private:
    wxDECLARE_EVENT_TABLE();
};

class MyThread : public wxThread {
  public:
    explicit MyThread(MyFrame* frame);
    void* Entry() override;
    void OnExit() override;

    MyFrame* ownerFrame;
    // Which series this worker runs; a newer Start supersedes it.
    unsigned series = 0;
};
