#include "root_path.h"

#include <cstdlib>

namespace qmxefi {

namespace {
std::string WithoutTrailingSlashes(std::string s) {
    while (!s.empty() && s.back() == '/') s.pop_back();
    return s;
}
}  // namespace

std::string RootFromEnvironment() {
    const char* env = std::getenv("QMXEFI_ROOT");
    return env && *env ? env : "/";
}

RootPath::RootPath(std::string root) : root_(WithoutTrailingSlashes(std::move(root))) {}

std::string RootPath::operator()(const std::string& rel) const {
    size_t start = 0;
    while (start < rel.size() && rel[start] == '/') ++start;
    return root_ + "/" + rel.substr(start);
}

}  // namespace qmxefi
