// What two threads can gain on this machine at best: a loop of arithmetic that touches no memory, run by
// one thread and then by two at once (each doing the same amount), in alternating rounds. On a virtual
// machine or a processor that slows its clock when more cores are busy, two threads do less than twice the
// work of one even with nothing shared; the renderer's speed-up is to be read against this figure.
//   two_cores [ROUNDS]   (default 5) prints the ratio per round and the median
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

std::atomic<uint64_t> sink{0};

// About a second of a core's work: eight independent multiply-add chains keep the core's units busy.
void Work() {
    uint64_t h[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (uint64_t i = 0; i < 200'000'000; ++i)
        for (uint64_t& x : h) x = x * 0x9E3779B97F4A7C15u + i;
    uint64_t all = 0;
    for (uint64_t x : h) all ^= x;
    sink.fetch_xor(all); // (so that the loop is not left out)
}

double Seconds(int threads) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> running;
    for (int k = 0; k < threads; ++k) running.emplace_back(Work);
    for (std::thread& t : running) t.join();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<double> ratios;
    std::printf("two busy cores against one (the same work per thread):");
    for (int r = 0; r < rounds; ++r) {
        const double one = Seconds(1), two = Seconds(2);
        ratios.push_back(2.0 * one / two);
        std::printf(" %.2f", ratios.back());
        std::fflush(stdout);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("; median %.2f\n", ratios[ratios.size() / 2]);
    return 0;
}
