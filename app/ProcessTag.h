#pragma once
// Temporary files of ours carry this machine's name and the process id of their maker, so that a later
// process can prove one an orphan: made here, by a process that no longer exists (killed outright).

#include <string>

// This machine's name, fit for a file name ('.' and '/' become '_').
std::string ThisHostTag();
// True when no process pid exists on this machine (any more).
bool ProcessHasEnded(long pid);
// True the first time this process asks for (kind, folder): a folder is swept for orphans of a kind once.
bool FirstSweepOf(const std::string& kind, const std::string& folder);
