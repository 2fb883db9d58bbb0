// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/light_plot.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <wx/dcclient.h>
#include <wx/graphics.h>
#include <wx/settings.h>
#include <wx/thread.h>

namespace {

// About twice as many as the plot is wide in pixels: some tens of kilobytes.
const std::size_t mostPoints = 1024;
const int pad = 4;
const double dotRadius = 3;

LightPlot* shownPlot = nullptr;

// A scale's values at the bottom and the top of the plot's frame.
struct Scale {
    double low, high;
    double y(double value, const wxRect& frame) const {
        return frame.GetBottom() - (value - low) / (high - low) * (frame.height - 1);
    }
};

// The target in the middle, every measured brightness inside, whole stops at the edges.
Scale brightness_scale(const std::vector<LightPoint>& points, double target) {
    double farthest = 0;
    for (const LightPoint& point : points) {
        if (point.brightness)
            farthest = std::max(farthest, std::abs(*point.brightness - target));
    }
    const double half = std::max(2.0, std::ceil(farthest + 0.25));
    return {target - half, target + half};
}

// The chosen exposures with a tenth of room above and below; none when no pass told it.
std::optional<Scale> exposure_scale(const std::vector<LightPoint>& points) {
    std::optional<Scale> scale;
    for (const LightPoint& point : points) {
        if (!point.exposureEv)
            continue;
        const double ev = *point.exposureEv;
        scale = scale ? Scale{std::min(scale->low, ev), std::max(scale->high, ev)} : Scale{ev, ev};
    }
    if (!scale)
        return scale;
    const double middle = (scale->low + scale->high) / 2;
    const double half = std::max(1.0, (scale->high - scale->low) / 2) * 1.2;
    return Scale{middle - half, middle + half};
}

// A line through the points that have a value; a point without one breaks it.
template <class Value, class X>
void draw_line(wxGraphicsContext& gc, const std::vector<LightPoint>& points, Value value, X x,
               const Scale& scale, const wxRect& frame) {
    wxGraphicsPath path = gc.CreatePath();
    bool drawing = false;
    for (const LightPoint& point : points) {
        const std::optional<double> v = value(point);
        if (!v) {
            drawing = false;
            continue;
        }
        const wxPoint2DDouble at(x(point), scale.y(*v, frame));
        if (drawing)
            path.AddLineToPoint(at);
        else
            path.MoveToPoint(at);
        drawing = true;
    }
    gc.StrokePath(path);
}

wxString signed_ev(double value) {
    return wxString::Format("%+.1f EV", value);
}

} // namespace

LightPlot::LightPlot(wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE,
               "LightPlot") {
    Bind(wxEVT_PAINT, &LightPlot::paint, this);
    shownPlot = this;
}

LightPlot::~LightPlot() {
    if (shownPlot == this)
        shownPlot = nullptr;
}

void LightPlot::clear(double target) {
    points_.clear();
    target_ = target;
    stride_ = 1;
    sinceKept_ = 0;
    newestIsExtra_ = false;
    Refresh();
}

void LightPlot::add(const LightPoint& point) {
    if (newestIsExtra_)
        points_.pop_back();
    newestIsExtra_ = ++sinceKept_ < stride_;
    if (!newestIsExtra_)
        sinceKept_ = 0;
    points_.push_back(point);
    target_ = point.target;
    if (points_.size() > mostPoints) {
        // Every other point goes, the newest stays; from now on half as many are kept.
        std::vector<LightPoint> kept;
        for (std::size_t i = (points_.size() - 1) % 2; i < points_.size(); i += 2)
            kept.push_back(points_[i]);
        points_ = std::move(kept);
        stride_ *= 2;
    }
    Refresh();
}

wxSize LightPlot::DoGetBestSize() const {
    return FromDIP(wxSize(240, 150));
}

void LightPlot::paint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxSize size = GetClientSize();
    const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
    dc.SetFont(GetFont());
    dc.SetTextForeground(text);
    if (points_.empty()) {
        const wxString empty = "The ramp shows here while a series follows the light.";
        const wxSize extent = dc.GetTextExtent(empty);
        dc.DrawText(empty, (size.x - extent.x) / 2, (size.y - extent.y) / 2);
        return;
    }

    const Scale brightness = brightness_scale(points_, target_);
    const std::optional<Scale> exposure = exposure_scale(points_);
    const wxString brightnessTop = signed_ev(brightness.high);
    const wxString brightnessBottom = signed_ev(brightness.low);
    const wxString exposureTop = exposure ? wxString::Format("%.1f", exposure->high) : "";
    const wxString exposureBottom = exposure ? wxString::Format("%.1f", exposure->low) : "";
    const int charHeight = dc.GetCharHeight();
    const int left =
        std::max(dc.GetTextExtent(brightnessTop).x, dc.GetTextExtent(brightnessBottom).x) + 2 * pad;
    const int right =
        std::max(dc.GetTextExtent(exposureTop).x, dc.GetTextExtent(exposureBottom).x) + 2 * pad;
    const wxRect frame(left, charHeight / 2 + pad, size.x - left - right,
                       size.y - charHeight * 3 / 2 - 3 * pad);
    if (frame.width < 8 || frame.height < 8)
        return;

    // The scales' ends beside the frame, and below it the frames and what the colours mean.
    dc.DrawText(brightnessTop, pad, frame.GetTop() - charHeight / 2);
    dc.DrawText(brightnessBottom, pad, frame.GetBottom() - charHeight / 2);
    dc.DrawText(exposureTop, frame.GetRight() + pad, frame.GetTop() - charHeight / 2);
    dc.DrawText(exposureBottom, frame.GetRight() + pad, frame.GetBottom() - charHeight / 2);
    const int below = frame.GetBottom() + pad;
    const wxString first = wxString::Format("frame %d", points_.front().frame);
    const wxString last = wxString::Format("frame %d", points_.back().frame);
    dc.DrawText(first, frame.GetLeft(), below);
    dc.DrawText(last, frame.GetRight() - dc.GetTextExtent(last).x, below);
    struct Key {
        wxColour colour;
        wxString words;
    };
    const Key keys[] = {{light_plot_colour::brightness, "brightness"},
                        {light_plot_colour::target, "target"},
                        {light_plot_colour::exposure, "exposure EV (right scale)"}};
    const int swatch = charHeight;
    int keysWidth = 0;
    for (const Key& key : keys)
        keysWidth += swatch + pad + dc.GetTextExtent(key.words).x + 3 * pad;
    int keyX = frame.GetLeft() + (frame.width - keysWidth) / 2;
    for (const Key& key : keys) {
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(key.colour));
        dc.DrawRectangle(keyX, below + charHeight / 2 - 1, swatch, 3);
        keyX += swatch + pad;
        dc.DrawText(key.words, keyX, below);
        keyX += dc.GetTextExtent(key.words).x + 3 * pad;
    }

    dc.SetPen(wxPen(text));
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
    dc.DrawRectangle(frame);
    wxRect inside = frame;
    inside.Deflate(1);

    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    if (!gc)
        return;
    gc->Clip(inside.x, inside.y, inside.width, inside.height);
    const int firstFrame = points_.front().frame;
    const int frames = points_.back().frame - firstFrame;
    const double margin = dotRadius + 2;
    const auto x = [&](const LightPoint& point) {
        if (frames <= 0)
            return inside.GetLeft() + inside.width / 2.0;
        return inside.GetLeft() + margin +
               (point.frame - firstFrame) * (inside.width - 2 * margin) / frames;
    };
    if (exposure) {
        gc->SetPen(gc->CreatePen(wxGraphicsPenInfo(light_plot_colour::exposure).Width(2.5)));
        draw_line(
            *gc, points_, [](const LightPoint& p) { return p.exposureEv; }, x, *exposure, inside);
    }
    gc->SetPen(gc->CreatePen(wxGraphicsPenInfo(light_plot_colour::brightness).Width(2)));
    draw_line(
        *gc, points_, [](const LightPoint& p) { return p.brightness; }, x, brightness, inside);
    // Over the brightness that follows it, and on whole pixels, so that it keeps its colour.
    gc->SetPen(*wxTRANSPARENT_PEN);
    gc->SetBrush(wxBrush(light_plot_colour::target));
    gc->DrawRectangle(inside.GetLeft(), std::lround(brightness.y(target_, inside)) - 1,
                      inside.width, 2);
    // A dot for each pass while they stand apart.
    if (points_.size() * 3 * dotRadius > static_cast<std::size_t>(inside.width))
        return;
    gc->SetBrush(wxBrush(light_plot_colour::brightness));
    for (const LightPoint& point : points_) {
        if (point.brightness)
            gc->DrawEllipse(x(point) - dotRadius,
                            brightness.y(*point.brightness, inside) - dotRadius, 2 * dotRadius,
                            2 * dotRadius);
    }
}

void clear_light_plot(double target) {
    wxASSERT(wxIsMainThread());
    if (shownPlot)
        shownPlot->clear(target);
}

void add_light_point(const LightPoint& point) {
    wxASSERT(wxIsMainThread());
    if (shownPlot)
        shownPlot->add(point);
}
