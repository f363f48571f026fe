// Streaming over open files through one buffer, so that an image of any size
// costs the module the same memory.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace qmxsim {

constexpr size_t kStreamChunk = 256 * 1024;

// Writes all count bytes, retrying short and interrupted writes. 0 or the errno.
int WriteAll(int fd, const char* p, size_t count);

// Appends bytes [begin, end) of from to the end of to. 0 or the errno of the
// failure; ENODATA when from ends before end.
int AppendRange(int from, off_t begin, off_t end, int to);

// Whether the two files hold the same bytes from their start. 0 or the errno.
int SameBytes(int a, int b, bool& same);

}  // namespace qmxsim
