// Whole-file reads, atomic writes and folders, with errno results.
#pragma once

#include <cstddef>
#include <string>

namespace qmxefi {

// Reads the whole file into out. Returns 0 or the errno of the failure.
int ReadWholeFile(const std::string& path, std::string& out);

// Writes all count bytes, retrying short and interrupted writes. 0 or errno.
int WriteAll(int fd, const char* p, size_t count);

// Replaces the file so that a reader sees the old or the new content, never
// a mix (temporary file beside it, synced, renamed over it); new files get
// mode. Returns 0 or the errno; on failure the old file is untouched.
int WriteFileAtomic(const std::string& path, const std::string& data, unsigned mode = 0644);

// Creates path and its missing parents (0755). 0 or the errno.
int MakeDirectories(const std::string& path);

bool IsDirectory(const std::string& path);

}  // namespace qmxefi
