#include "platform/base/test_gate.h"

namespace platform {

void TestGate::SetClosed(bool closed)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = closed;
    }
    changed_.notify_all();
}

void TestGate::WaitWhileClosed(const std::atomic<bool> *stop)
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !closed_ || (stop != nullptr && stop->load()); });
}

void TestGate::Wake()
{
    { std::lock_guard<std::mutex> lock(mutex_); }  // a waiter between its check and its wait is woken too
    changed_.notify_all();
}

}  // namespace platform
