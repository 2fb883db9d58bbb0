// SPDX-License-Identifier: GPL-3.0-or-later
#include "movie/decode_ahead.h"

#include "movie/deflicker.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

extern "C" {
#include <libavutil/frame.h>
}

namespace {

const int lowPriority = 10;

} // namespace

void lower_thread_priority() {
    // On Linux the nice value is the thread's own, and new threads inherit it.
    const id_t thread = id_t(gettid());
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, thread);
    if (errno == 0 && current < lowPriority)
        setpriority(PRIO_PROCESS, thread, lowPriority);
}

DecodeAhead::DecodeAhead(const std::vector<MoviePicture>& pictures, int width, int height,
                         int threads, int window, int deflickerHalf,
                         const std::atomic<bool>& cancel)
    : pictures_(pictures), cancel_(cancel),
      slots_(std::size_t(std::max(1, window) + std::max(0, deflickerHalf))),
      deflickerHalf_(std::max(0, deflickerHalf)) {
    if (deflickerHalf_ > 0) {
        brightness_.assign(pictures.size(), std::numeric_limits<double>::quiet_NaN());
        measured_.assign(pictures.size(), false);
    }
    for (Slot& slot : slots_) {
        slot.frame = alloc_movie_frame(width, height);
        ready_ = ready_ && slot.frame;
    }
    if (!ready_)
        return;
    for (int i = 0; i < std::max(1, threads); ++i)
        threads_.emplace_back([this] { decode_loop(); });
}

DecodeAhead::~DecodeAhead() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
    for (Slot& slot : slots_)
        av_frame_free(&slot.frame);
}

DecodeAhead::Job DecodeAhead::take_job(std::size_t* index) {
    // A frame whose window is measured first: the consumer may be waiting for it.
    const std::size_t last = pictures_.size() - 1;
    for (std::size_t i = consumed_; i < claimed_; ++i) {
        Slot& slot = slot_of(i);
        if (slot.state == State::Measured &&
            measuredUpTo_ > std::min(last, i + std::size_t(deflickerHalf_))) {
            slot.state = State::Evening;
            *index = i;
            return Job::Evenout;
        }
    }
    // A slot is free once the picture a window earlier has been released.
    if (claimed_ < pictures_.size() && claimed_ < consumed_ + slots_.size()) {
        *index = claimed_++;
        slot_of(*index).state = State::Decoding;
        ++unfinished_;
        return Job::Decode;
    }
    return Job::None;
}

void DecodeAhead::decode(std::size_t index, PictureScratch& scratch,
                         std::unique_lock<std::mutex>& lock) {
    Slot& slot = slot_of(index);
    const MoviePicture& picture = pictures_[index];
    lock.unlock();
    // The encoder may still hold a reference to what the slot showed before.
    const bool decoded =
        av_frame_make_writable(slot.frame) >= 0 &&
        picture_to_frame(picture, scratch, slot.frame) == JpegDecodeResult::Decoded;
    double brightness = std::numeric_limits<double>::quiet_NaN();
    if (decoded && deflickerHalf_ > 0) {
        unsigned width, height;
        upright_size(picture, &width, &height);
        brightness = frame_brightness(
            slot.frame, fit_area(width, height, slot.frame->width, slot.frame->height));
    }
    lock.lock();
    slot.decoded = decoded;
    if (deflickerHalf_ > 0) {
        brightness_[index] = brightness;
        measured_[index] = true;
        while (measuredUpTo_ < pictures_.size() && measured_[measuredUpTo_])
            ++measuredUpTo_;
    }
    if (decoded && deflickerHalf_ > 0) {
        slot.state = State::Measured;
    } else {
        slot.state = State::Done;
        --unfinished_;
    }
}

void DecodeAhead::even_out(std::size_t index, std::unique_lock<std::mutex>& lock) {
    Slot& slot = slot_of(index);
    const double gain = deflicker_gain(brightness_, index, deflickerHalf_);
    lock.unlock();
    apply_gain(slot.frame, gain);
    lock.lock();
    slot.state = State::Done;
    --unfinished_;
}

void DecodeAhead::decode_loop() {
    lower_thread_priority();
    PictureScratch scratch;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_ && !cancel_) {
        std::size_t index;
        switch (take_job(&index)) {
        case Job::Decode:
            decode(index, scratch, lock);
            break;
        case Job::Evenout:
            even_out(index, lock);
            break;
        case Job::None:
            if (claimed_ == pictures_.size() && unfinished_ == 0)
                return;
            changed_.wait(lock);
            continue;
        }
        changed_.notify_all();
    }
}

const MoviePicture* DecodeAhead::next(AVFrame** frame, bool* decoded) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (consumed_ == pictures_.size() || cancel_)
        return nullptr;
    Slot& slot = slot_of(consumed_);
    // Cancelling wakes nobody by itself; look again now and then.
    while (slot.state != State::Done && !cancel_)
        changed_.wait_for(lock, std::chrono::milliseconds(100));
    if (slot.state != State::Done || cancel_)
        return nullptr;
    *decoded = slot.decoded;
    *frame = slot.decoded ? slot.frame : nullptr;
    return &pictures_[consumed_];
}

void DecodeAhead::release() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        slot_of(consumed_).state = State::Free;
        ++consumed_;
    }
    changed_.notify_all();
}
