#include "frontend/progress_view.h"

#include <cstdio>
#include <string>

#include "frontend/message_words.h"

void CProgressView::Update(int nValue) {
    const int nPercent = ProgressPercent(nValue);
    // A bar that another line pushed away is drawn afresh even at the same percent.
    if (nPercent == m_nLastPercent && (!m_fTerminal || m_fLineOpen))
        return;
    m_nLastPercent = nPercent;
    if (!m_fTerminal) {
        m_out << "progress: " << nPercent << "%\n" << std::flush;
        return;
    }
    const int nFilled = nPercent * kBarWidth / 100;
    const std::string csBar = std::string(static_cast<size_t>(nFilled), '#') +
                              std::string(static_cast<size_t>(kBarWidth - nFilled), ' ');
    char szPercent[8];
    std::snprintf(szPercent, sizeof szPercent, "%3d%%", nPercent);
    m_out << '\r' << '[' << csBar << "] " << szPercent << std::flush;
    m_fLineOpen = true;
}

void CProgressView::BreakLine() {
    if (!m_fLineOpen)
        return;
    m_out << '\n' << std::flush;
    m_fLineOpen = false;
}
