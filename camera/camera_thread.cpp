// SPDX-License-Identifier: GPL-3.0-or-later
#include "camera/camera_thread.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct JobQueue {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::function<void()>> jobs;
    bool stopping = false;
    bool finished = false;
};

// Shared with the thread, which may outlive a stop that ran out of patience.
std::shared_ptr<JobQueue> queue;
std::thread cameraThread;

void serve(std::shared_ptr<JobQueue> q) {
    std::unique_lock<std::mutex> lock(q->lock);
    for (;;) {
        q->changed.wait(lock, [&] { return q->stopping || !q->jobs.empty(); });
        // A stop leaves at most its last job in the queue.
        if (q->jobs.empty())
            break;
        std::function<void()> job = std::move(q->jobs.front());
        q->jobs.pop_front();
        lock.unlock();
        job();
        job = nullptr;
        lock.lock();
    }
    q->finished = true;
    q->changed.notify_all();
}

} // namespace

void start_camera_thread() {
    queue = std::make_shared<JobQueue>();
    cameraThread = std::thread(serve, queue);
}

void run_on_camera_thread(std::function<void()> job) {
    if (!queue)
        return;
    {
        std::lock_guard<std::mutex> lock(queue->lock);
        if (queue->stopping)
            return;
        queue->jobs.push_back(std::move(job));
    }
    queue->changed.notify_all();
}

bool stop_camera_thread(std::chrono::milliseconds patience, std::function<void()> last) {
    if (!queue)
        return true;
    std::unique_lock<std::mutex> lock(queue->lock);
    queue->stopping = true;
    queue->jobs.clear();
    if (last)
        queue->jobs.push_back(std::move(last));
    queue->changed.notify_all();
    bool answered = queue->changed.wait_for(lock, patience, [] { return queue->finished; });
    lock.unlock();
    if (answered)
        cameraThread.join();
    else
        cameraThread.detach();
    queue.reset();
    return answered;
}
