// The texts of --help and --version.
#pragma once

#include <string>

std::string UsageText();
// "quillmark 0.1.0"
const char* VersionText();
