// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/heap_policy.h"
#include "app/vantlow.h"

#include <wx/imagjpeg.h>

const wxSize mainWindowSize(690, 720);

wxIMPLEMENT_APP_NO_MAIN(MyApp);

MyApp::MyApp() = default;
MyApp::~MyApp() = default;

bool MyApp::OnInit() {
    map_big_buffers();
    wxImage::AddHandler(new wxJPEGHandler);
    MyFrame* frame = new MyFrame;
    frame->SetSize(wxDefaultCoord, wxDefaultCoord, mainWindowSize.x, mainWindowSize.y, wxSIZE_AUTO);
    frame->SetMaxSize(mainWindowSize);
    frame->SetVirtualSize(mainWindowSize);
    frame->Show(true);
    return true;
}
