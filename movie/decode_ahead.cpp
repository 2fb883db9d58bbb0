// SPDX-License-Identifier: GPL-3.0-or-later
#include "movie/decode_ahead.h"

#include "movie/picture_frame.h"

#include <algorithm>
#include <cerrno>
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
                         int threads, int window, const std::atomic<bool>& cancel)
    : pictures_(pictures), cancel_(cancel), slots_(std::size_t(std::max(1, window))) {
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

void DecodeAhead::decode_loop() {
    lower_thread_priority();
    PictureScratch scratch;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        // A slot is free once the picture a window earlier has been released.
        changed_.wait(lock, [this] {
            return stopping_ || claimed_ == pictures_.size() ||
                   claimed_ < consumed_ + slots_.size();
        });
        if (stopping_ || claimed_ == pictures_.size() || cancel_)
            return;
        const std::size_t index = claimed_++;
        Slot& slot = slots_[index % slots_.size()];
        lock.unlock();
        // The encoder may still hold a reference to what the slot showed before.
        bool decoded =
            av_frame_make_writable(slot.frame) >= 0 &&
            picture_to_frame(pictures_[index], scratch, slot.frame) == JpegDecodeResult::Decoded;
        lock.lock();
        slot.decoded = decoded;
        slot.done = true;
        changed_.notify_all();
    }
}

const MoviePicture* DecodeAhead::next(AVFrame** frame, bool* decoded) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (consumed_ == pictures_.size() || cancel_)
        return nullptr;
    Slot& slot = slots_[consumed_ % slots_.size()];
    // Cancelling wakes nobody by itself; look again now and then.
    while (!slot.done && !cancel_)
        changed_.wait_for(lock, std::chrono::milliseconds(100));
    if (!slot.done || cancel_)
        return nullptr;
    *decoded = slot.decoded;
    *frame = slot.decoded ? slot.frame : nullptr;
    return &pictures_[consumed_];
}

void DecodeAhead::release() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Slot& slot = slots_[consumed_ % slots_.size()];
        slot.done = false;
        ++consumed_;
    }
    changed_.notify_all();
}
