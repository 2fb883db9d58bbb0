// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/series_options_store.h"

namespace {

SeriesOptions& options() {
    static SeriesOptions held;
    return held;
}

} // namespace

void load_window_series_options() {
    options() = load_series_options(series_options_path());
}

const SeriesOptions& window_series_options() {
    return options();
}

void set_window_series_options(const SeriesOptions& chosen) {
    options() = chosen;
}
