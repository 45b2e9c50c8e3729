#include "engine/EventRunner.h"

#include <algorithm>

namespace tolvane {

bool QueuedEventRunner::Send(std::function<void()> event, std::chrono::milliseconds guard) {
    if (std::this_thread::get_id() == owner_) {
        event();
        return true;
    }
    auto item = std::make_shared<Item>();
    item->event = std::move(event);
    std::unique_lock lock(m_);
    queue_.push_back(item);
    changed_.notify_all();
    const auto deadline = std::chrono::steady_clock::now() + guard;
    for (;;) {
        if (item->state == Item::State::Done) {
            return true;
        }
        if (item->state == Item::State::Queued && std::chrono::steady_clock::now() >= deadline) {
            item->state = Item::State::Dropped;
            return false;
        }
        if (item->state == Item::State::Queued) {
            changed_.wait_until(lock, deadline);
        } else {
            changed_.wait(lock);
        }
    }
}

void QueuedEventRunner::Post(std::function<void()> event) {
    auto item = std::make_shared<Item>();
    item->event = std::move(event);
    std::lock_guard lock(m_);
    queue_.push_back(std::move(item));
    changed_.notify_all();
}

int QueuedEventRunner::ProcessEvents(std::chrono::milliseconds wait) {
    int run = 0;
    std::unique_lock lock(m_);
    if (queue_.empty()) {
        changed_.wait_for(lock, wait, [&] { return !queue_.empty(); });
    }
    while (!queue_.empty()) {
        auto item = queue_.front();
        queue_.pop_front();
        if (item->state == Item::State::Dropped) {
            continue;
        }
        item->state = Item::State::Running;
        lock.unlock();
        item->event();
        ++run;
        lock.lock();
        item->state = Item::State::Done;
        changed_.notify_all();
    }
    return run;
}

bool QueuedEventRunner::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return done();
        }
        ProcessEvents(std::min(left, std::chrono::milliseconds(50)));
    }
    return true;
}

} // namespace tolvane
