// Where the events of a fax component run. The engine runs on the port's dispatcher thread; an
// application gives its components a runner that carries each event over to its own thread:
// the Qt side posts to the GUI thread, faxtool and tests use QueuedEventRunner on the thread
// that waits for the session.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tolvane {

class EventRunner {
public:
    virtual ~EventRunner() = default;
    // Runs the event on the application's thread and waits for it. An event that has not begun
    // within `guard` is dropped and the result is false; one that has begun is waited for
    // (it may read and change the session's values, so the engine cannot go on without it).
    virtual bool Send(std::function<void()> event, std::chrono::milliseconds guard) = 0;
    // Runs the event on the application's thread later; does not wait.
    virtual void Post(std::function<void()> event) = 0;
};

// Runs every event at once on the thread that reports it (the engine's).
class DirectEventRunner final : public EventRunner {
public:
    bool Send(std::function<void()> event, std::chrono::milliseconds) override {
        event();
        return true;
    }
    void Post(std::function<void()> event) override { event(); }
};

// Events wait in a queue until the owning thread (the one that created the runner) takes them
// in ProcessEvents. Send from the owning thread itself runs the event at once.
class QueuedEventRunner final : public EventRunner {
public:
    QueuedEventRunner() : owner_(std::this_thread::get_id()) {}

    bool Send(std::function<void()> event, std::chrono::milliseconds guard) override;
    void Post(std::function<void()> event) override;
    // Runs what is queued; waits up to `wait` when nothing is. Returns the number run.
    int ProcessEvents(std::chrono::milliseconds wait);
    // Processes events until `done` holds or the time has passed; returns `done()`.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

private:
    struct Item {
        enum class State { Queued, Running, Done, Dropped };
        std::function<void()> event;
        State state = State::Queued;
    };

    std::thread::id owner_;
    std::mutex m_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Item>> queue_;
};

} // namespace tolvane
