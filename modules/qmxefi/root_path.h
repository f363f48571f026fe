// Every system path the module touches lies below one root, so that tests
// can run it against a fake tree.
#pragma once

#include <string>

namespace qmxefi {

// $QMXEFI_ROOT, or "/" when unset or empty; without trailing slashes.
std::string RootFromEnvironment();

class RootPath {
public:
    explicit RootPath(std::string root = "/");
    // rel is relative to the root ("sys/firmware/efi").
    std::string operator()(const std::string& rel) const;
    const std::string& root() const { return root_; }

private:
    std::string root_;  // "" stands for "/"
};

}  // namespace qmxefi
