#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/pipe_child.h"
#include "test_helpers.h"

namespace {

std::string allLines(CPipeChild& child) {
    std::string text;
    while (const char* line = child.LineGet())
        text += line;
    return text;
}

TEST(CPipeChild, ReadsLinesAndExitCode) {
    CPipeChild child({"printf", "%s\\n", "first line", "second"});
    EXPECT_TRUE(child.IsRunning());
    EXPECT_STREQ(child.LineGet(), "first line\n");
    EXPECT_STREQ(child.LineGet(), "second\n");
    EXPECT_EQ(child.LineGet(), nullptr);
    EXPECT_EQ(child.LineGet(), nullptr);
    EXPECT_EQ(child.Unload(), 0);
    EXPECT_FALSE(child.IsRunning());
    EXPECT_EQ(child.CommandTextGet(), CString("printf %s\\n first line second"));

    // After Unload the stored command runs again on demand.
    EXPECT_STREQ(child.LineGet(), "first line\n");
}

TEST(CPipeChild, ArgumentsAreNeverInterpreted) {
    TempDir tmp;
    const std::string canary = tmp.file("canary");
    const std::vector<std::string> args = {
        "$(touch " + canary + ")", "`touch " + canary + "`", "; touch " + canary,
        "&& touch " + canary + " |", "two\nlines", "\"quoted\" 'single' \\", "*", "$HOME"};
    std::vector<std::string> argv = {"printf", "[%s]"};
    argv.insert(argv.end(), args.begin(), args.end());

    CPipeChild child(argv);
    std::string expected;
    for (const std::string& a : args)
        expected += "[" + a + "]";
    EXPECT_EQ(allLines(child), expected);
    EXPECT_EQ(child.Unload(), 0);
    EXPECT_NE(access(canary.c_str(), F_OK), 0);
}

TEST(CPipeChild, MissingProgramFailsToLoad) {
    CPipeChild child;
    EXPECT_FALSE(child.Load({"qm-no-such-program-anywhere", "-l"}));
    EXPECT_FALSE(child.IsRunning());
    EXPECT_EQ(child.LineGet(), nullptr);
    char buf[4];
    EXPECT_EQ(child.OutputGet(buf, sizeof(buf)), 0u);
    EXPECT_EQ(child.Unload(), -1);

    EXPECT_FALSE(child.Load({}));
}

TEST(CPipeChild, OutputGetStopsAtLimitAndAtEnd) {
    CPipeChild child({"printf", "abcdef"});
    char buf[16] = {};
    EXPECT_EQ(child.OutputGet(buf, 4), 4u);
    EXPECT_EQ(std::string(buf, 4), "abcd");
    EXPECT_EQ(child.OutputGet(buf, sizeof(buf)), 2u);
    EXPECT_EQ(std::string(buf, 2), "ef");
    EXPECT_EQ(child.OutputGet(buf, sizeof(buf)), 0u);
}

TEST(CPipeChild, LongLineArrivesInPieces) {
    const std::string line(300, 'x');
    CPipeChild child({"printf", "%s\\n", line});
    const char* first = child.LineGet();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::string(first), line.substr(0, 255));
    const char* second = child.LineGet();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(std::string(second), line.substr(255) + "\n");
}

TEST(CPipeChild, ErrorOutputAndInputAreDetached) {
    // Error text must not mix into the output, and reading input must not wait for us.
    CPipeChild child({"sh", "-c", "echo err >&2; cat; echo out; exit 7"});
    EXPECT_EQ(allLines(child), "out\n");
    EXPECT_EQ(child.Unload(), 7);
    EXPECT_EQ(child.ExitCodeGet(), 7);
}

TEST(CPipeChild, NewCommandClosesTheRunningOne) {
    CPipeChild child({"printf", "1\\n2\\n"});
    EXPECT_STREQ(child.LineGet(), "1\n");
    child.CommandSet({"printf", "x\\n"});
    EXPECT_FALSE(child.IsRunning());
    EXPECT_EQ(child.ExitCodeGet(), 0);
    EXPECT_STREQ(child.LineGet(), "x\n");
}

TEST(CPipeChild, UnloadEndsAWriterWhoseReaderLeft) {
    // The kernel ignores SIGPIPE; the child must not inherit that and write forever.
    struct sigaction old {};
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &old);
    {
        CPipeChild child({"yes"});
        EXPECT_STREQ(child.LineGet(), "y\n");
        EXPECT_EQ(child.Unload(), -1);
    }
    sigaction(SIGPIPE, &old, nullptr);
}

}  // namespace
