#include "app/vantlow.h"

#include <malloc.h>
#include <wx/imagjpeg.h>

const wxSize mainWindowSize(690, 720);

wxIMPLEMENT_APP_NO_MAIN(MyApp);

MyApp::MyApp() = default;
MyApp::~MyApp() = default;

bool MyApp::OnInit() {
    // Every picture passes through buffers of a megabyte or more. Served from the heap, as
    // glibc does once the first one is freed, they leave holes that grow the heap shot after
    // shot; mapped separately, they go back to the system when freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    wxImage::AddHandler(new wxJPEGHandler);
    MyFrame* frame = new MyFrame;
    frame->SetSize(wxDefaultCoord, wxDefaultCoord, mainWindowSize.x, mainWindowSize.y, wxSIZE_AUTO);
    frame->SetMaxSize(mainWindowSize);
    frame->SetVirtualSize(mainWindowSize);
    frame->Show(true);
    return true;
}
