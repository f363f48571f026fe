// Shared fixtures of the unit tests.
#pragma once

#include <string>
#include <vector>

#include "frontend/message_decoder.h"

// A fresh directory below the temporary directory, removed with its content.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // path() + "/" + name
    std::string file(const std::string& name) const;
    // Writes (replaces) a file below the directory and returns its path.
    std::string write(const std::string& name, const std::string& content) const;
    // Whole content of a file, "" when it cannot be read.
    static std::string read(const std::string& path);

private:
    std::string m_path;
};

// The member names of a zip archive, sorted.
std::vector<std::string> ArchiveMembers(const std::string& archive);

// A kernel message as the front-end decodes it, with one text.
SKernelMessage TextMessage(E_DEDURE_MSG eType, const std::string& csText);
