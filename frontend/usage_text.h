// The texts of --help and --version.
#pragma once

const char* UsageText();
// "quillmark 0.1.0"
const char* VersionText();
