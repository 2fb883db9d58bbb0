// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

// The encoder settings every movie is made with: H.264 by libx264, yuv420p, in MP4.
struct MovieEncoderSettings {
    const char* preset;
    int crf;
    const char* x264Params;
};
const MovieEncoderSettings& movie_encoder_settings();

// Writes yuv420p frames of one size into an H.264 MP4 file, one frame per 1/fps second.
// Every call returns 0 or a negative libav error code.
class MovieEncoder {
  public:
    MovieEncoder() = default;
    // Without finish() the file is left incomplete; the caller removes it.
    ~MovieEncoder();
    MovieEncoder(const MovieEncoder&) = delete;
    MovieEncoder& operator=(const MovieEncoder&) = delete;

    // Creates or truncates the file at path.
    int open(const std::string& path, int width, int height, int fps);
    int add(AVFrame* frame);
    // Drains the encoder, writes the index at the front of the file and closes it.
    int finish();
    // After a failed open(): whether the encoder would not take the frame size.
    bool size_refused() const { return sizeRefused_; }

  private:
    int drain(bool flushing);

    AVCodecContext* codec_ = nullptr;
    AVFormatContext* format_ = nullptr;
    AVPacket* packet_ = nullptr;
    long long nextPts_ = 0;
    bool sizeRefused_ = false;
};

// A libav error code as a sentence fragment, e.g. "No space left on device".
std::string libav_error_text(int code);
