// CPipeChild: runs an external program and reads its standard output through a pipe.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/string_type.h"

class CPipeChild {
public:
    CPipeChild() = default;
    // Stores the command (program, then its arguments) and starts it at once.
    explicit CPipeChild(std::vector<std::string> argv);
    ~CPipeChild();
    CPipeChild(const CPipeChild&) = delete;
    CPipeChild& operator=(const CPipeChild&) = delete;

    // Closes a running command and stores the next one; LineGet or Load starts it.
    void CommandSet(std::vector<std::string> argv);
    // Starts the stored command unless it is running; false when it cannot be started.
    bool Load();
    // CommandSet, then Load.
    bool Load(std::vector<std::string> argv);

    // The next output line with its newline (at most 255 characters a call), null at the end.
    const char* LineGet();
    // Reads up to ulMax bytes of output; fewer only at the end of the output.
    uint32_t OutputGet(void* pBuffer, uint32_t ulMax);

    // Closes the pipe and waits for the program. Returns its exit code, or -1 when
    // nothing was running or it was ended by a signal.
    int Unload();
    // Exit code of the last program Unload waited for (-1 as above).
    int ExitCodeGet() const { return m_nExitCode; }

    bool IsRunning() const { return m_pStream != nullptr; }
    const std::vector<std::string>& ArgvGet() const { return m_argv; }
    // The arguments joined by blanks, for traces.
    CString CommandTextGet() const;

private:
    std::vector<std::string> m_argv;
    std::FILE* m_pStream = nullptr;
    pid_t m_pid = -1;
    int m_nExitCode = -1;
    char m_szLine[256] = {};
};
