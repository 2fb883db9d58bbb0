// SPDX-License-Identifier: GPL-3.0-or-later
// Start and Stop of a series; the series itself runs on its worker.
#include "app/command_turns.h"
#include "app/series_page.h"
#include "app/series_watch.h"
#include "app/vantlow.h"
#include "capture/series.h"

#include <iostream>

MyThread* MyFrame::CreateThread() {
    auto* worker = new MyThread(this);
    if (worker->Create(0) != wxTHREAD_NO_ERROR)
        wxLogError("Can't create thread!");
    enroll_worker(worker);
    MyApp& app = wxGetApp();
    wxMutexLocker lock(app.workerLock);
    app.workerThreads.Add(worker);
    return worker;
}

void MyFrame::StartCapture(wxCommandEvent& event) {
    if (command_turns().wait_for_turn(startButton,
                                      [this, event]() mutable { StartCapture(event); }))
        return;
    std::cout << "Starting capture." << std::endl << std::endl;
    captureButton->Enable(false);
    stopButton->Enable(true);
    if (SeriesWatch* watch = series_watch())
        watch->series_started();
    MyThread* worker = CreateThread();
    if (worker->Run() != wxTHREAD_NO_ERROR)
        wxLogError("Can't start thread!");
}

void MyFrame::StopCapture(wxCommandEvent& event) {
    if (command_turns().wait_for_turn(stopButton, [this, event]() mutable { StopCapture(event); }))
        return;
    std::cout << std::endl << "Stopping capture." << std::endl << std::endl;
    stop_series();
    show_series_idle();

    MyApp& app = wxGetApp();
    // Held across Delete: the worker cannot leave the registry, and so cannot destroy
    // itself, while it is being marked.
    wxMutexLocker lock(app.workerLock);
    if (app.workerThreads.IsEmpty())
        wxLogError("No thread to stop!");
    else
        app.workerThreads.Last()->Delete();
}
