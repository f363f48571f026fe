// Whole-file reads and atomic whole-file writes for the state directory.
#pragma once

#include <string>

namespace qmxsim {

// Reads the whole file into out. Returns 0 or the errno of the failure.
int ReadWholeFile(const std::string& path, std::string& out);

// Replaces the file's content so that a reader sees either the old or the new
// content, never a mix: a temporary file beside it is written, synced and
// renamed over it. The mode is that of mode_from (path itself when empty),
// 0644 when it does not exist. Returns 0 or the errno of the failure; on
// failure the old file is untouched.
int WriteFileAtomic(const std::string& path, const std::string& data, const std::string& mode_from = "");

}  // namespace qmxsim
