#include "frontend/password_prompt.h"

#include <fcntl.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "crypt/xx_crypt.h"
#include "frontend/frontend_error.h"
#include "frontend/signal_guard.h"

namespace {

constexpr char kPrompt[] = "BIOS password: ";

// Puts the terminal back however the reading ends.
class CEchoOff {
public:
    explicit CEchoOff(int fd) : m_fd(fd) {
        if (tcgetattr(fd, &m_saved) != 0)
            return;
        struct termios noEcho = m_saved;
        noEcho.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        m_fActive = tcsetattr(fd, TCSAFLUSH, &noEcho) == 0;
    }
    ~CEchoOff() {
        if (m_fActive)
            tcsetattr(m_fd, TCSAFLUSH, &m_saved);
    }
    CEchoOff(const CEchoOff&) = delete;
    CEchoOff& operator=(const CEchoOff&) = delete;

private:
    int m_fd;
    struct termios m_saved {};
    bool m_fActive = false;
};

class CFdClose {
public:
    explicit CFdClose(int fd) : m_fd(fd) {}
    ~CFdClose() { close(m_fd); }
    CFdClose(const CFdClose&) = delete;
    CFdClose& operator=(const CFdClose&) = delete;

private:
    int m_fd;
};

void WriteAll(int fd, const char* psz, size_t n) {
    while (n > 0) {
        const ssize_t w = write(fd, psz, n);
        if (w <= 0) {
            if (w < 0 && errno == EINTR && !CSignalGuard::Interrupted())
                continue;
            return;
        }
        psz += w;
        n -= static_cast<size_t>(w);
    }
}

}  // namespace

std::string CPasswordPrompt::Read() {
    std::string csLine = isatty(STDIN_FILENO) ? ReadFromTerminal() : ReadFromStdin();
    if (csLine.empty())
        throw CFrontendError(eExitUsage, "--password: no password entered");
    return csLine;
}

std::string CPasswordPrompt::ReadFromStdin() {
    std::string csLine;
    const bool fRead = LineRead(STDIN_FILENO, csLine);
    CSignalGuard::ThrowIfInterrupted();
    if (!fRead)
        throw CFrontendError(eExitUsage, "--password: no password on standard input");
    return csLine;
}

std::string CPasswordPrompt::ReadFromTerminal() {
    const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw CFrontendError(eExitUsage, std::string("--password: cannot open the terminal: ") + strerror(errno));
    const CFdClose closeFd(fd);
    std::string csLine;
    bool fRead = false;
    {
        const CEchoOff echoOff(fd);
        WriteAll(fd, kPrompt, sizeof kPrompt - 1);
        fRead = LineRead(fd, csLine);
        WriteAll(fd, "\n", 1);
    }
    if (!fRead)
        Wipe(csLine);
    CSignalGuard::ThrowIfInterrupted();
    return csLine;
}

bool CPasswordPrompt::LineRead(int fd, std::string& csLine) {
    // Reserved up front, so the text is never moved to a larger buffer and left behind.
    csLine.reserve(kMaxLength + 1);
    bool fAny = false;
    bool fTooLong = false;
    for (;;) {
        char ch = 0;
        const ssize_t n = read(fd, &ch, 1);
        if (n < 0 && errno == EINTR && !CSignalGuard::Interrupted())
            continue;
        if (n <= 0)
            break;
        fAny = true;
        if (ch == '\n')
            break;
        if (csLine.size() < kMaxLength)
            csLine += ch;
        else
            fTooLong = true;
    }
    if (!csLine.empty() && csLine.back() == '\r')
        csLine.pop_back();
    if (fTooLong) {
        Wipe(csLine);
        throw CFrontendError(eExitUsage, "--password: the password is longer than " + std::to_string(kMaxLength) +
                                             " characters");
    }
    return fAny && !CSignalGuard::Interrupted();
}

std::string CPasswordPrompt::PwcArgument(const std::string& csPlain) {
    CString csCopy(csPlain);
    const CString csCipher = CXXCrypt(31).Encrypt(csCopy);
    if (csCopy.GetLength() > 0)
        explicit_bzero(csCopy.GetBuffer(csCopy.GetLength()), static_cast<size_t>(csCopy.GetLength()));
    return " -pwc " + csCipher.str();
}

void CPasswordPrompt::Wipe(std::string& cs) {
    if (!cs.empty())
        explicit_bzero(cs.data(), cs.size());
    cs.clear();
}
