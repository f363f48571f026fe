#include "cmdline/job_line_check.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

#include "cmdline/option_table.h"
#include "cmdline/qm_cmd_line.h"

namespace {

// The kernel's parser, watched: the first argument it refuses is kept with the
// state the parser was in when it came.
class CWatchedCmdLine : public CQmCmdLine {
public:
    void ParseParam(const char* pszParam, bool bFlag, bool bLast) override {
        const bool fPending = m_pNextParameterDestination != nullptr && !m_fNextParameterOptional;
        const bool fFailedBefore = OptionExists(eError);
        CQmCmdLine::ParseParam(pszParam, bFlag, bLast);
        if (!fFailedBefore && OptionExists(eError) && !m_problem) {
            m_problem = SJobLineProblem();
            if (!bFlag) {
                m_problem->strWord = pszParam;
                m_problem->strReason = "is not an option and follows no option that takes a parameter";
            } else if (fPending) {
                m_problem->strWord = m_strLastFlag;
                m_problem->strReason = "needs a parameter before '-" + std::string(pszParam) + "'";
            } else {
                m_problem->strWord = std::string("-") + pszParam;
                m_problem->strReason = "is not an option";
                const std::string strNearest = JobOptionNearest(pszParam);
                if (!strNearest.empty())
                    m_problem->strNearest = "-" + strNearest;
            }
        }
        if (bFlag)
            m_strLastFlag = std::string("-") + pszParam;
        // A required parameter still missing when the line ends.
        if (bLast && bFlag && !m_problem && m_pNextParameterDestination && !m_fNextParameterOptional)
            m_problem = SJobLineProblem{m_strLastFlag, "needs a parameter", ""};
    }

    std::optional<SJobLineProblem> m_problem;

private:
    std::string m_strLastFlag;
};

std::string Folded(const char* psz) {
    std::string str(psz);
    std::transform(str.begin(), str.end(), str.begin(), [](unsigned char c) { return std::tolower(c); });
    return str;
}

// Letters to change, insert or drop to turn one into the other.
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::string JobOptionNearest(const std::string& strWord) {
    const std::string strFolded = Folded(strWord.c_str());
    // One letter is too little to guess from.
    if (strFolded.size() < 2)
        return std::string();
    std::string strBest;
    size_t nBest = SIZE_MAX;
    for (const SQmOptionRow& row : g_QmOptionTable)
        for (const char* pszText : row.apszTexts) {
            if (!pszText)
                continue;
            const size_t n = EditDistance(strFolded, Folded(pszText));
            if (n < nBest) {
                nBest = n;
                strBest = pszText;
            }
        }
    const size_t nAllowed = std::max<size_t>(1, std::max(strFolded.size(), strBest.size()) / 3);
    return nBest <= nAllowed ? strBest : std::string();
}

std::optional<SJobLineProblem> JobLineCheck(const char* pszLine) {
    CWatchedCmdLine line;
    line.Parse(pszLine);
    return line.m_problem;
}
