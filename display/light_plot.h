// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "display/light_point.h"

#include <cstddef>
#include <vector>
#include <wx/colour.h>
#include <wx/window.h>

// What the plot's colours stand for, as its key under it tells.
namespace light_plot_colour {
inline const wxColour brightness(31, 119, 180);
inline const wxColour target(44, 160, 44);
inline const wxColour exposure(230, 120, 20);
} // namespace light_plot_colour

// The ramp of a series that follows the light, frame by frame: the measured brightness against
// the target on one scale, and the exposure chosen on a scale of its own. A long night is
// thinned out rather than cut, so the plot keeps showing the whole series. GUI thread.
class LightPlot : public wxWindow {
  public:
    explicit LightPlot(wxWindow* parent);
    ~LightPlot() override;

    void clear(double target);
    void add(const LightPoint& point);

  private:
    wxSize DoGetBestSize() const override;
    void paint(wxPaintEvent& event);

    std::vector<LightPoint> points_;
    double target_ = 0;
    // Only every stride-th point is kept; the newest is shown until the next one replaces it.
    std::size_t stride_ = 1;
    std::size_t sinceKept_ = 0;
    bool newestIsExtra_ = false;
};

// For the code that runs the series, GUI thread only; nothing happens while there is no plot.
// A new series starts.
void clear_light_plot(double target);
// A pass has chosen the exposure of the next one.
void add_light_point(const LightPoint& point);
