// CQuillmarkApp: quillmark from its arguments to its exit code.
#pragma once

#include <ostream>
#include <string>
#include <vector>

class CQuillmarkApp {
public:
    // args without the program name; fTerminal: out is a terminal.
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool fTerminal);
};
