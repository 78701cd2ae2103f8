#pragma once
// Work cut into shares that threads do at once.

#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

// Runs work(k) for every share k of 0 .. count - 1 at once: share 0 on the calling thread, each other one
// on a thread of its own (or, when no thread is to be had, on the calling thread). Returns when all are
// done; a share's exception is thrown again then.
template <class Work> void RunShares(size_t count, const Work& work) {
    std::vector<std::exception_ptr> failures(count);
    auto run = [&](size_t k) {
        try {
            work(k);
        } catch (...) {
            failures[k] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> helpers; // (joined however this is left)
        for (size_t k = 1; k < count; ++k) {
            try {
                helpers.emplace_back(run, k);
            } catch (const std::system_error&) {
                run(k);
            }
        }
        if (count > 0) run(0);
    }
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}
