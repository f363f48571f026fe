// CHumanPrinter: readable lines; the job's errors and warnings and our own
// failures on the error stream, everything else on the output stream.
#pragma once

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "frontend/message_printer.h"
#include "frontend/progress_view.h"

class CHumanPrinter : public CMessagePrinter {
public:
    // fTerminal: out is a terminal, so progress is a bar redrawn in place.
    CHumanPrinter(std::ostream& out, std::ostream& err, bool fTerminal)
        : m_out(out), m_err(err), m_progress(out, fTerminal) {}

    void Status(const SKernelStatus& status) override;
    void Waiting(int pidBusy) override;
    void Accepted(int pidKernel) override;
    void Message(const SKernelMessage& msg) override;
    void Done(const SJobOutcome& outcome) override;
    void HistoryShow(const SHistory& history) override;
    void BootCheckShow(const SBootCheck& result) override;
    void Failure(const std::string& csText, int nExitCode, const std::string& csHint) override;

private:
    // One line on out or err, after any open progress bar is ended.
    void Line(std::ostream& stream, const std::string& csText);
    // Candidates arrive one per message; they are shown as one table when the next other output comes.
    void CandidateShow(const SKernelMessage& msg);
    void CandidatesFlush();
    void InfoShow(const SKernelMessage& msg);

    std::ostream& m_out;
    std::ostream& m_err;
    CProgressView m_progress;
    using CandidateRow = std::array<std::string, 6>;
    std::vector<CandidateRow> m_Candidates;
};
