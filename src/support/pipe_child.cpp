#include "support/pipe_child.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/opus_trace.h"

extern char** environ;

namespace {

// Owns the spawn attribute objects so every exit path destroys them.
class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&m_actions);
        posix_spawnattr_init(&m_attr);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&m_actions);
        posix_spawnattr_destroy(&m_attr);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // Output into the pipe, no input, no error text; the kernel's ignored SIGPIPE is reset
    // so a child whose reader went away ends as it would from a shell.
    int Prepare(int fdWrite) {
        // dup2 first: the pipe may have got descriptor 0 or 2 if the kernel runs without them.
        int rc = posix_spawn_file_actions_adddup2(&m_actions, fdWrite, STDOUT_FILENO);
        if (rc == 0)
            rc = posix_spawn_file_actions_addopen(&m_actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (rc == 0)
            rc = posix_spawn_file_actions_addopen(&m_actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        sigset_t sigDefault;
        sigset_t sigMask;
        sigemptyset(&sigDefault);
        sigaddset(&sigDefault, SIGPIPE);
        sigemptyset(&sigMask);
        if (rc == 0)
            rc = posix_spawnattr_setsigdefault(&m_attr, &sigDefault);
        if (rc == 0)
            rc = posix_spawnattr_setsigmask(&m_attr, &sigMask);
        if (rc == 0)
            rc = posix_spawnattr_setflags(&m_attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        return rc;
    }
    const posix_spawn_file_actions_t* Actions() const { return &m_actions; }
    const posix_spawnattr_t* Attr() const { return &m_attr; }

private:
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attr;
};

}  // namespace

CPipeChild::CPipeChild(std::vector<std::string> argv) : m_argv(std::move(argv)) { Load(); }

CPipeChild::~CPipeChild() { Unload(); }

void CPipeChild::CommandSet(std::vector<std::string> argv) {
    Unload();
    m_argv = std::move(argv);
}

CString CPipeChild::CommandTextGet() const {
    CString cs;
    for (const std::string& arg : m_argv) {
        if (!cs.IsEmpty())
            cs += ' ';
        cs += arg.c_str();
    }
    return cs;
}

bool CPipeChild::Load(std::vector<std::string> argv) {
    CommandSet(std::move(argv));
    return Load();
}

bool CPipeChild::Load() {
    if (m_pStream)
        return true;
    const CString csCmd = CommandTextGet();
    QM_TRACE_ENTER(3, "cmd='%s'", csCmd.c_str());
    if (m_argv.empty()) {
        QM_TRACE_LEAVE(3, "ret=false, no command");
        return false;
    }

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        QM_TRACE_INTERNAL(1, "pipe failed", "%s", strerror(errno));
        QM_TRACE_LEAVE(3, "ret=false");
        return false;
    }
    std::vector<char*> argv;
    for (std::string& arg : m_argv)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    SpawnSetup setup;
    pid_t pid = -1;
    int rc = setup.Prepare(fds[1]);
    if (rc == 0)
        rc = posix_spawnp(&pid, argv[0], setup.Actions(), setup.Attr(), argv.data(), environ);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        QM_TRACE_INTERNAL(1, "cannot start program", "'%s': %s", argv[0], strerror(rc));
        QM_TRACE_LEAVE(3, "ret=false");
        return false;
    }
    m_pStream = fdopen(fds[0], "r");
    if (!m_pStream) {
        QM_TRACE_INTERNAL(1, "fdopen failed", "%s", strerror(errno));
        close(fds[0]);
        // The child writes into a closed pipe and ends; reap it.
        m_pid = pid;
        Unload();
        QM_TRACE_LEAVE(3, "ret=false");
        return false;
    }
    m_pid = pid;
    QM_TRACE_LEAVE(3, "ret=true, pid=%d", static_cast<int>(pid));
    return true;
}

const char* CPipeChild::LineGet() {
    if (!Load())
        return nullptr;
    return std::fgets(m_szLine, sizeof(m_szLine), m_pStream);
}

uint32_t CPipeChild::OutputGet(void* pBuffer, uint32_t ulMax) {
    if (!pBuffer || !Load())
        return 0;
    return static_cast<uint32_t>(std::fread(pBuffer, 1, ulMax, m_pStream));
}

int CPipeChild::Unload() {
    if (m_pStream) {
        std::fclose(m_pStream);
        m_pStream = nullptr;
    }
    if (m_pid < 0)
        return -1;
    int status = 0;
    pid_t r;
    while ((r = waitpid(m_pid, &status, 0)) < 0 && errno == EINTR) {
    }
    m_nExitCode = (r == m_pid && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    QM_TRACE_INTERNAL(4, "program ended", "pid=%d, status=0x%x, exit code=%d", static_cast<int>(m_pid),
                      static_cast<unsigned int>(status), m_nExitCode);
    m_pid = -1;
    return m_nExitCode;
}
