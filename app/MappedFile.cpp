#include "app/MappedFile.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The mappings the bus-error handler knows, looked at from the handler: plain atomics, no locks.
struct Slot {
    std::atomic<uintptr_t> begin{0}, end{0}; // 0: free
    std::atomic<bool> shortened{false};
};
constexpr int kSlots = 64;
Slot slots[kSlots];
std::mutex slotsTaken; // (taking and giving back; the handler does not lock)
uintptr_t pageSize = 4096;
struct sigaction before {};

// A read of a mapped page the file no longer reaches raises SIGBUS. A page of zeros is put in its place,
// the mapping is marked, and the read is made again. Any other bus error goes where it went before.
void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto at = reinterpret_cast<uintptr_t>(info->si_addr);
    for (Slot& s : slots) {
        const uintptr_t begin = s.begin.load(std::memory_order_acquire);
        if (begin == 0 || at < begin || at >= s.end.load(std::memory_order_acquire)) continue;
        void* page = reinterpret_cast<void*>(at & ~(pageSize - 1));
        if (::mmap(page, pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
            MAP_FAILED) {
            s.shortened.store(true, std::memory_order_relaxed);
            return;
        }
    }
    if ((before.sa_flags & SA_SIGINFO) != 0 && before.sa_sigaction) {
        before.sa_sigaction(signal, info, context);
    } else if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
        before.sa_handler(signal);
    } else {
        // The read is made again and ends the process, as it would have without this handler.
        ::signal(SIGBUS, SIG_DFL);
    }
}

void InstallHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        pageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction ours {};
        ours.sa_sigaction = OnBusError;
        ours.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&ours.sa_mask);
        ::sigaction(SIGBUS, &ours, &before);
    });
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

std::unique_ptr<MappedFile> MappedFile::Map(int fd, size_t size) {
    struct stat st {};
    if (size == 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) < size)
        return nullptr;
    InstallHandler();
    std::unique_ptr<MappedFile> mapped(new MappedFile());
    {
        std::lock_guard<std::mutex> lock(slotsTaken);
        for (int k = 0; k < kSlots && mapped->slot < 0; ++k)
            if (slots[k].begin.load(std::memory_order_relaxed) == 0) mapped->slot = k;
        if (mapped->slot < 0) return nullptr;
        void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) return nullptr;
        mapped->bytes = static_cast<uint8_t*>(p);
        mapped->length = size;
        Slot& s = slots[mapped->slot];
        s.shortened.store(false, std::memory_order_relaxed);
        s.end.store(reinterpret_cast<uintptr_t>(p) + size, std::memory_order_release);
        s.begin.store(reinterpret_cast<uintptr_t>(p), std::memory_order_release);
    }
    // The whole file is read ahead, as one read would: pages asked for one by one from a disk that has
    // not cached the file would each wait for it.
    ::madvise(mapped->bytes, size, MADV_WILLNEED);
    mapped->fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    mapped->fileSize = static_cast<long long>(st.st_size);
    mapped->modified = st.st_mtim;
    mapped->statusChanged = st.st_ctim;
    return mapped;
}

MappedFile::~MappedFile() {
    {
        std::lock_guard<std::mutex> lock(slotsTaken);
        slots[slot].begin.store(0, std::memory_order_release);
        slots[slot].end.store(0, std::memory_order_release);
    }
    if (bytes) ::munmap(bytes, length);
    if (fd >= 0) ::close(fd);
}

bool MappedFile::Changed() const {
    if (slots[slot].shortened.load(std::memory_order_relaxed)) return true;
    struct stat st {};
    // (A file that cannot be looked at any more is taken as changed.)
    if (fd < 0 || ::fstat(fd, &st) != 0) return true;
    return static_cast<long long>(st.st_size) != fileSize || !SameTime(st.st_mtim, modified) ||
           !SameTime(st.st_ctim, statusChanged);
}
