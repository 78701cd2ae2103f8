#pragma once
// Opening input files safely: only regular files are read. A folder, a named pipe (whose open would wait
// for a writer) or a device such as /dev/zero (which never ends) is refused at once.

#include <string>

// Opens path for reading; the descriptor, or -1 with errno set (EISDIR for a folder, EINVAL for anything
// else that is not a regular file, else the open's own error).
int OpenRegularFileForReading(const std::string& path);

// Reads the whole of a regular file into content; false with errno set when it cannot be opened or read.
bool ReadRegularFile(const std::string& path, std::string& content);

// True when both names reach the same existing file (after relative names, links and hard links: the same
// device and inode). A name that does not exist is no other file.
bool IsSameFile(const std::string& a, const std::string& b);
