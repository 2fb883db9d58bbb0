// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gphoto2/gphoto2-port.h>

// The table a port driver hands to libgphoto2_port. Debian does not ship the header that
// declares it, so it is repeated here; the order of the members is the library's ABI.
struct GPPortOperations {
    int (*init)(GPPort*);
    int (*exit)(GPPort*);
    int (*open)(GPPort*);
    int (*close)(GPPort*);
    int (*read)(GPPort*, char*, int);
    int (*check_int)(GPPort*, char*, int, int);
    int (*write)(GPPort*, const char*, int);
    int (*update)(GPPort*);
    int (*get_pin)(GPPort*, GPPin, GPLevel*);
    int (*set_pin)(GPPort*, GPPin, GPLevel);
    int (*send_break)(GPPort*, int);
    int (*flush)(GPPort*, int);
    int (*find_device)(GPPort*, int vendor, int product);
    int (*find_device_by_class)(GPPort*, int usb_class, int subclass, int protocol);
    int (*clear_halt)(GPPort*, int ep);
    int (*msg_write)(GPPort*, int request, int value, int index, char* bytes, int size);
    int (*msg_read)(GPPort*, int request, int value, int index, char* bytes, int size);
    int (*msg_interface_write)(GPPort*, int request, int value, int index, char* bytes, int size);
    int (*msg_interface_read)(GPPort*, int request, int value, int index, char* bytes, int size);
    int (*msg_class_write)(GPPort*, int request, int value, int index, char* bytes, int size);
    int (*msg_class_read)(GPPort*, int request, int value, int index, char* bytes, int size);
    int (*seek)(GPPort*, int offset, int whence);
    int (*send_scsi_cmd)(GPPort*, int to_dev, char* cmd, int cmd_size, char* sense, int sense_size,
                         char* data, int data_size);
    int (*reset)(GPPort*);
};
