// CJsonPrinter: one JSON object per line on the output stream and nothing
// else there; our own failures also go to the error stream as text.
#pragma once

#include <ostream>

#include <nlohmann/json_fwd.hpp>

#include "frontend/message_printer.h"

class CJsonPrinter : public CMessagePrinter {
public:
    CJsonPrinter(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    void Status(const SKernelStatus& status) override;
    void Waiting(int pidBusy) override;
    void Accepted(int pidKernel) override;
    void Message(const SKernelMessage& msg) override;
    void Done(const SJobOutcome& outcome) override;
    void HistoryShow(const SHistory& history) override;
    void BootCheckShow(const SBootCheck& result) override;
    void Failure(const std::string& csText, int nExitCode, const std::string& csHint) override;

    // The payload fields of a message event ("text", "value", "candidate", "info" ...).
    static void PayloadAdd(const SKernelMessage& msg, nlohmann::ordered_json& event);

private:
    // Kernel texts may hold any bytes: invalid UTF-8 is replaced, never thrown on.
    void Emit(const nlohmann::ordered_json& event);
    void StartEnsure();

    std::ostream& m_out;
    std::ostream& m_err;
    // The first object names the schema; it comes before whatever comes first.
    bool m_fStarted = false;
};
