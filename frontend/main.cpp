#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "frontend/quillmark_app.h"
#include "support/opus_trace.h"

// The libraries trace through this object; a settings file switches it on.
COpusTrace g_Trace("/opt/fleetmon/trace/quillmark.ini");

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return CQuillmarkApp::Run(args, std::cout, std::cerr, isatty(STDOUT_FILENO) != 0);
}
