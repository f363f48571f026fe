// CProgressView: progress values (0..10000) as a bar redrawn in place on a
// terminal, or as "progress: N%" lines when the whole percent changes.
#pragma once

#include <ostream>

class CProgressView {
public:
    static constexpr int kBarWidth = 20;

    CProgressView(std::ostream& out, bool fTerminal) : m_out(out), m_fTerminal(fTerminal) {}

    void Update(int nValue);
    // Ends a bar left open on its line; call before printing anything else.
    void BreakLine();

private:
    std::ostream& m_out;
    bool m_fTerminal;
    bool m_fLineOpen = false;
    int m_nLastPercent = -1;
};
