// CFrontendError: a failure that ends quillmark with a given exit code.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include "frontend/exit_codes.h"

class CFrontendError : public std::runtime_error {
public:
    // csHint: what the user can do about it, "" when nothing useful can be said.
    CFrontendError(E_EXIT_CODE eExit, const std::string& csText, std::string csHint = std::string())
        : std::runtime_error(csText), m_eExit(eExit), m_csHint(std::move(csHint)) {}

    E_EXIT_CODE ExitCode() const { return m_eExit; }
    const std::string& Hint() const { return m_csHint; }

private:
    E_EXIT_CODE m_eExit;
    std::string m_csHint;
};
