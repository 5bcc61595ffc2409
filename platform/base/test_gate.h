// A gate that tests close to hold worker threads at one point of their work, so that what shows
// meanwhile can be looked at, and open to let them go on.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace platform {

class TestGate {
public:
    void SetClosed(bool closed);
    // Returns once the gate is open, or once stop (when given) is true and Wake was called after
    // it turned so.
    void WaitWhileClosed(const std::atomic<bool> *stop = nullptr);
    // Has the threads waiting look at their stop flags again.
    void Wake();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool closed_ = false;
};

}  // namespace platform
