// CPasswordPrompt: the BIOS password, read without echo and handed to the
// kernel only in encrypted form.
#pragma once

#include <cstddef>
#include <string>

class CPasswordPrompt {
public:
    // From the terminal with echo off when stdin is one, else one line of stdin.
    // Throws CFrontendError: interrupted, or no password could be read.
    static std::string Read();
    // " -pwc <ciphertext>", to append to the job's command line.
    static std::string PwcArgument(const std::string& csPlain);
    // Overwrites the text before it is released.
    static void Wipe(std::string& cs);

    static constexpr size_t kMaxLength = 255;

private:
    static std::string ReadFromTerminal();
    static std::string ReadFromStdin();
    // One line from fd, without its line end; false when nothing came before the
    // end or a signal came. Throws for a line longer than kMaxLength.
    static bool LineRead(int fd, std::string& csLine);
};
