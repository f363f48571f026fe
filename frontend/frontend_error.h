// CFrontendError: a failure that ends quillmark with a given exit code.
#pragma once

#include <stdexcept>
#include <string>

#include "frontend/exit_codes.h"

class CFrontendError : public std::runtime_error {
public:
    CFrontendError(E_EXIT_CODE eExit, const std::string& csText) : std::runtime_error(csText), m_eExit(eExit) {}

    E_EXIT_CODE ExitCode() const { return m_eExit; }

private:
    E_EXIT_CODE m_eExit;
};
