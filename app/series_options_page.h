// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <list>
#include <string>
#include <utility>
#include <vector>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

// The Series Options page: every key of [Series] in the options file, each control named after
// its key. A change is checked and, when it holds, kept for the next series and saved at once;
// one that does not hold is shown in red below its field and neither kept nor saved. Choices,
// the number and the check box change at a click; a text field when Enter is pressed or the
// focus leaves it. Nothing is written to the console. The options scroll above the plot of the
// light that a series follows. GUI thread.
class SeriesOptionsPage : public wxPanel {
  public:
    explicit SeriesOptionsPage(wxNotebook* notebook);

  private:
    // A text field of one key.
    struct Field {
        std::string key;
        wxTextCtrl* text;
        wxStaticText* problem; // below the field, hidden while there is none
        bool edited = false;   // since it was last kept
    };
    // A key with a few words, each shown to the photographer as a label.
    using Words = std::vector<std::pair<std::string, wxString>>;

    void add_row(const wxString& label, wxSizer* control);
    void add_choice(const wxString& label, const std::string& key, const Words& words);
    void add_number(const wxString& label, const std::string& key, int least, int most,
                    const wxString& unit);
    void add_check(const wxString& label, const std::string& key, const wxString& text);
    void add_text(const wxString& label, const std::string& key, const wxString& hint);

    // Keeps and saves the key's new text; false when it does not hold.
    bool change(const std::string& key, const std::string& text);
    void commit(Field& field);
    void show_problem(wxStaticText* problem, const wxString& text);

    wxScrolledWindow* options_; // holds the rows
    wxFlexGridSizer* rows_;
    wxStaticText* saveProblem_;
    std::list<Field> fields_;
};
