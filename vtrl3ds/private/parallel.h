// Work spread over the machine's cores (the glTF export makes its meshes side by side). A
// WebAssembly build without threads does everything on the calling thread. Private to the model
// library.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace vtrl3ds_internal {

// Runs `work(i)` for i in 0 .. count - 1 over the machine's cores (one thread where there are no
// threads to be had), the first exception raised again here once every thread has stopped.
template <typename Work>
inline void parallelFor(size_t count, Work work) {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    for (size_t i = 0; i < count; ++i) work(i);
#else
    std::atomic<size_t> next{0};
    std::exception_ptr error;
    std::mutex guard;
    const auto run = [&] {
        try {
            for (size_t i; (i = next++) < count;) work(i);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(guard);
            if (!error) error = std::current_exception();
            next = count;
        }
    };
    std::vector<std::thread> pool;
    const size_t threads = std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()), count);
    try {
        while (pool.size() + 1 < threads) pool.emplace_back(run);
    } catch (const std::system_error&) {
        // Fewer threads to be had: those started and this one share the work.
    }
    run();
    for (std::thread& t : pool) t.join();
    if (error) std::rethrow_exception(error);
#endif
}

}  // namespace vtrl3ds_internal
