// The checksum recorded with the flash image at each commit, so that an
// install can tell an image that does not belong to the recorded version.
#pragma once

#include <string>

namespace qmxsim {

// "fnv1a64:<16 hex digits>" of the file's bytes, streamed. 0 or the errno.
int FlashChecksum(const std::string& path, std::string& out);

// "size:inode:mtime" of the file; "" when it cannot be looked at. A rename
// keeps it, so the one recorded at commit spares every later install a
// reading of the whole image until the file is rewritten or replaced.
std::string FlashIdentity(const std::string& path);

}  // namespace qmxsim
