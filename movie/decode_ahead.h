// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "movie/movie_source.h"
#include "movie/picture_frame.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

struct AVFrame;

// Decodes the pictures into frames on threads of their own, ahead of the one consumer that
// takes the frames in order. At most `window` frames exist at any time, whatever the number
// of pictures, so memory stays bounded. With `deflickerHalf` above 0 the same threads measure
// each frame's brightness and even it out over the frames up to that many before and after
// it; a frame waits for those after it, so `deflickerHalf` more frames are held.
class DecodeAhead {
  public:
    DecodeAhead(const std::vector<MoviePicture>& pictures, int width, int height, int threads,
                int window, int deflickerHalf, const std::atomic<bool>& cancel);
    // Stops the decoders and waits for them.
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // Whether every frame could be made (false: out of memory).
    bool ready() const { return ready_; }
    // Waits for the next picture in order. Returns null once all were taken or the run was
    // cancelled, else the picture's frame, which stays the consumer's until release(); the
    // frame is null when the picture could not be decoded (*decoded false).
    const MoviePicture* next(AVFrame** frame, bool* decoded);
    void release();

  private:
    enum class State { Free, Decoding, Measured, Evening, Done };
    struct Slot {
        AVFrame* frame = nullptr;
        State state = State::Free;
        bool decoded = false;
    };
    enum class Job { None, Decode, Evenout };

    Slot& slot_of(std::size_t index) { return slots_[index % slots_.size()]; }
    // Claims the next piece of work, with the lock held.
    Job take_job(std::size_t* index);
    void decode(std::size_t index, PictureScratch& scratch, std::unique_lock<std::mutex>& lock);
    void even_out(std::size_t index, std::unique_lock<std::mutex>& lock);
    void decode_loop();

    const std::vector<MoviePicture>& pictures_;
    const std::atomic<bool>& cancel_;
    std::vector<Slot> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t claimed_ = 0;    // pictures handed to a decoder
    std::size_t consumed_ = 0;   // pictures the consumer has released
    std::size_t unfinished_ = 0; // claimed frames not yet done
    const int deflickerHalf_;
    std::vector<double> brightness_; // per picture, NaN when it could not be decoded
    std::vector<bool> measured_;
    std::size_t measuredUpTo_ = 0; // every picture before it is measured
    bool stopping_ = false;
    bool ready_ = true;
    std::vector<std::thread> threads_;
};

// Lets the calling thread, and the threads it starts from now on, give way to everything else
// the machine runs.
void lower_thread_priority();
