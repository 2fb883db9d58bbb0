// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/window_pixels.h"

#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

wxImage client_pixels(wxWindow* window) {
    // GTK runs the window's own draw path (its paint handlers and its child controls) into
    // our surface, so other windows on the same display cannot cover what we read.
    const wxSize size = window->GetClientSize();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.x, size.y);
    cairo_t* context = cairo_create(surface);
    gtk_widget_draw(static_cast<GtkWidget*>(window->GetHandle()), context);
    cairo_destroy(context);
    cairo_surface_flush(surface);

    wxImage pixels(size);
    const unsigned char* rows = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < size.y; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(rows + std::size_t(y) * stride);
        for (int x = 0; x < size.x; ++x)
            pixels.SetRGB(x, y, row[x] >> 16 & 0xFF, row[x] >> 8 & 0xFF, row[x] & 0xFF);
    }
    cairo_surface_destroy(surface);
    return pixels;
}

wxColour colour_at(const wxImage& image, const wxPoint& at) {
    return {image.GetRed(at.x, at.y), image.GetGreen(at.x, at.y), image.GetBlue(at.x, at.y)};
}

bool near_colour(const wxImage& image, const wxPoint& at, const wxColour& colour, int tolerance) {
    if (!wxRect(image.GetSize()).Contains(at)) {
        ADD_FAILURE() << "(" << at.x << "," << at.y << ") is outside the window";
        return false;
    }
    return std::abs(image.GetRed(at.x, at.y) - colour.Red()) <= tolerance &&
           std::abs(image.GetGreen(at.x, at.y) - colour.Green()) <= tolerance &&
           std::abs(image.GetBlue(at.x, at.y) - colour.Blue()) <= tolerance;
}

std::string describe_pixel(const wxImage& image, const wxPoint& at) {
    return "(" + std::to_string(at.x) + "," + std::to_string(at.y) + ") is rgb(" +
           std::to_string(image.GetRed(at.x, at.y)) + "," +
           std::to_string(image.GetGreen(at.x, at.y)) + "," +
           std::to_string(image.GetBlue(at.x, at.y)) + ")";
}
