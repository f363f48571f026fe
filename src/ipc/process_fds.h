// What the system says about another process, read from /proc: a request
// record names its sender by a process id anybody can write, so the kernel
// checks that id against what the named process really holds.
#pragma once

#include <sys/types.h>

// True when process pid holds a descriptor open for writing on the same object
// (device and inode) that fd is open on.
bool ProcessWritesTo(pid_t pid, int fd);
// The effective uid of a live process; false when there is no such process.
bool ProcessEuidGet(pid_t pid, uid_t& uid);
