// JobLineCheck: what the kernel's own parser finds wrong with a job line, said
// so that a person can mend it: the word, why, and the option nearest to it.
#pragma once

#include <optional>
#include <string>

struct SJobLineProblem {
    std::string strWord;     // as typed, with its dash for an option
    std::string strReason;   // e.g. "is not an option"
    std::string strNearest;  // the option most like the word, with its dash; empty when none is close
};

// Nothing when the line parses and every option that needs a parameter has one.
std::optional<SJobLineProblem> JobLineCheck(const char* pszLine);

// The option text of the table nearest to the word (without its dash, any
// case): at most a third of its letters, and at least one, differ. Empty when
// none is that near or the word is shorter than two letters.
std::string JobOptionNearest(const std::string& strWord);
