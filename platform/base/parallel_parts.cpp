#include "platform/base/parallel_parts.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {
namespace {

constexpr size_t kMostParts = 8;

}  // namespace

size_t PartCount(size_t count, size_t minPerPart)
{
    const size_t cores = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, kMostParts);
    return std::clamp<size_t>(count / std::max<size_t>(minPerPart, 1), 1, cores);
}

size_t RunInParts(size_t count, size_t minPerPart, const std::function<void(size_t, size_t, size_t)> &work)
{
    const size_t parts = PartCount(count, minPerPart);
    auto begin = [count, parts](size_t part) { return count / parts * part + count % parts * part / parts; };
    std::vector<std::thread> threads;
    threads.reserve(parts - 1);
    size_t started = 1;
    try {
        for (; started < parts; ++started) {
            threads.emplace_back(work, started, begin(started), begin(started + 1));
        }
    } catch (const std::system_error &) {
        // No more threads to be had: the parts not started run here.
    }
    work(0, 0, begin(1));
    for (size_t part = started; part < parts; ++part) {
        work(part, begin(part), begin(part + 1));
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    return parts;
}

}  // namespace platform
