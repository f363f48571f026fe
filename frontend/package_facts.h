// What a package's description says it is for, read by the front-end to tell
// the user why a package does not fit: the boards it names and its BIOS.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct SPackageFacts {
    std::vector<std::string> boards;  // every bupinfo2\board, in order
    std::string strBiosVersion;       // bupinfo2\biosversion, "" when absent
};

// Empty when the file is no package we can read or has no description; the
// archive is judged as the kernel judges it before anything is read.
std::optional<SPackageFacts> PackageFactsRead(const std::string& strPath);
