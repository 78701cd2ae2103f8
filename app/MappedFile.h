#pragma once
// A file's bytes mapped into memory, private to this process. Its pages come from the system's cache of
// the file as they are first read: a large input is neither copied nor held twice, and pages nobody reads
// are not read at all. Writing to a page copies it; the file never changes.
//
// Another program may still change the file while it is mapped. A read beyond the end of a file that was
// shortened would end the process; it reads zeros instead, and the mapping says so (Changed), as it says
// when the file was written to or lengthened since it was mapped.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>

class MappedFile {
public:
    // Maps the first `size` bytes of the open regular file `fd` (which the caller may close afterwards);
    // null when they cannot be mapped (size 0, more than the file holds, or no address space left).
    static std::unique_ptr<MappedFile> Map(int fd, size_t size);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    uint8_t* data() const { return bytes; }
    size_t size() const { return length; }
    // Whether the file changed since it was mapped: shortened (what was cut off reads as zeros), written
    // to or lengthened.
    bool Changed() const;

private:
    MappedFile() = default;

    uint8_t* bytes = nullptr;
    size_t length = 0;
    int fd = -1; // a descriptor of its own, to look at the file again
    int slot = -1;
    long long fileSize = 0;
    timespec modified{}, statusChanged{};
};
