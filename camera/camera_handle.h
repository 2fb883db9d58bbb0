// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gphoto2/gphoto2-camera.h>
#include <gphoto2/gphoto2-context.h>
#include <gphoto2/gphoto2-widget.h>

// The one conversation with the camera. Owns the camera object, the context and the folder
// text; used on the camera thread once the window is up.
struct CameraHandle {
    Camera* camera;
    GPContext* context;
    char* folder;
};

extern CameraHandle cameraHandle;

// Starts a fresh conversation: releases what an earlier one left (the caller closes the
// camera first where that is wanted) and makes a new camera object and context.
void init_camera_handle(CameraHandle* handle);

// Fetches the whole configuration and finds a widget by name, then label, then as a
// "/"-separated path. On GP_OK the caller owns *root and frees it with gp_widget_free.
int find_config_widget(CameraHandle* handle, const char* name, CameraWidget** widget,
                       CameraWidget** root);

// Finds a widget in a tree already fetched, as find_config_widget does.
int find_widget_in_tree(CameraWidget* root, const char* name, CameraWidget** widget);

// Sets one widget of a tree from text, converted by the widget's type; writes nothing.
int set_widget_value(CameraWidget* widget, const char* text);

// Sets one widget from text, converted by the widget's type, and writes the configuration
// back to the camera.
int set_config_value(CameraHandle* handle, const char* name, const char* text);
