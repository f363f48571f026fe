#include "cmdline/job_line_check.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct SCase {
    const char* pszLine;
    const char* pszWord;  // null: the line is fine
    const char* pszReason;
    const char* pszNearest;
};

void PrintTo(const SCase& c, std::ostream* os) { *os << '"' << c.pszLine << '"'; }

class JobLineCheckTest : public testing::TestWithParam<SCase> {};

TEST_P(JobLineCheckTest, NamesTheWordTheReasonAndTheNearestOption) {
    const SCase& c = GetParam();
    const std::optional<SJobLineProblem> problem = JobLineCheck(c.pszLine);
    if (!c.pszWord) {
        EXPECT_FALSE(problem) << c.pszLine << ": " << problem->strWord << " " << problem->strReason;
        return;
    }
    ASSERT_TRUE(problem) << c.pszLine;
    EXPECT_EQ(problem->strWord, c.pszWord);
    EXPECT_NE(problem->strReason.find(c.pszReason), std::string::npos) << problem->strReason;
    EXPECT_EQ(problem->strNearest, c.pszNearest);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, JobLineCheckTest,
    testing::Values(
        // What the kernel takes.
        SCase{"-at -o update.bup -arb -lf", nullptr, "", ""},
        SCase{"-d /work -AT -O \"my update.bup\" --overwrite", nullptr, "", ""},
        SCase{"-lf", nullptr, "", ""},  // its parameter is optional
        SCase{"", nullptr, "", ""},
        // Mistypes: the nearest option is offered when one is close.
        SCase{"-atx", "-atx", "is not an option", "-at"},
        SCase{"-at -overwirte", "-overwirte", "is not an option", "--overwrite"},
        SCase{"-at -zzzzzzzz", "-zzzzzzzz", "is not an option", ""},
        SCase{"-at --", "--", "is not an option", ""},
        // Words where no option takes them, as a verb typed in the wrong place.
        SCase{"update new.bup", "update", "follows no option", ""},
        SCase{"-at -o a.bup b.bup", "b.bup", "follows no option", ""},
        // Parameters that are not there.
        SCase{"-at -o", "-o", "needs a parameter", ""},
        SCase{"-at -o -ov", "-o", "needs a parameter before '-ov'", ""},
        SCase{"-d", "-d", "needs a parameter", ""}));

TEST(JobOptionNearest, OnlyCloseOptionsAreOffered) {
    EXPECT_EQ(JobOptionNearest("AST"), "ast");
    EXPECT_EQ(JobOptionNearest("nvuu"), "nvu");
    EXPECT_EQ(JobOptionNearest("-allowreboo"), "-allowreboot");
    EXPECT_EQ(JobOptionNearest("update"), "");
    EXPECT_EQ(JobOptionNearest(""), "");
}

}  // namespace
