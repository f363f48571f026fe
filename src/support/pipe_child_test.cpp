#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

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

std::string nextLine(CPipeChild& child) {
    const char* line = child.LineGet();
    return line ? line : "<end>";
}

TEST(CPipeChild, ReadsLinesAndExitCodes) {
    CPipeChild child({"printf", "%s\\n", "first line", "second"});
    EXPECT_EQ(allLines(child), "first line\nsecond\n");
    EXPECT_EQ(child.Unload(), 0);
    EXPECT_FALSE(child.IsRunning());
    EXPECT_EQ(child.CommandTextGet(), CString("printf %s\\n first line second"));

    // After Unload the stored command runs again on demand; a new command closes the running one.
    EXPECT_EQ(nextLine(child), "first line\n");
    child.CommandSet({"printf", "x\\n"});
    EXPECT_FALSE(child.IsRunning());
    EXPECT_EQ(child.ExitCodeGet(), 0);
    EXPECT_EQ(nextLine(child), "x\n");

    // Error text must not mix into the output, and reading input must not wait for us.
    ASSERT_TRUE(child.Load({"sh", "-c", "echo err >&2; cat; echo out; exit 7"}));
    EXPECT_EQ(allLines(child), "out\n");
    EXPECT_EQ(child.Unload(), 7);
}

TEST(CPipeChild, ArgumentsAreNeverInterpreted) {
    TempDir tmp;
    const std::string canary = tmp.file("canary");
    const std::vector<std::string> args = {
        "$(touch " + canary + ")", "`touch " + canary + "`", "; touch " + canary,
        "&& touch " + canary + " |", "two\nlines", "\"quoted\" 'single' \\", "*", "$HOME"};
    std::vector<std::string> argv = {"printf", "[%s]"};
    std::string expected;
    for (const std::string& a : args) {
        argv.push_back(a);
        expected += "[" + a + "]";
    }
    CPipeChild child(argv);
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

TEST(CPipeChild, ReadsInPieces) {
    CPipeChild child({"printf", "abcdef"});
    char buf[16] = {};
    EXPECT_EQ(child.OutputGet(buf, 4), 4u);
    EXPECT_EQ(std::string(buf, 4), "abcd");
    EXPECT_EQ(child.OutputGet(buf, sizeof(buf)), 2u);
    EXPECT_EQ(std::string(buf, 2), "ef");
    EXPECT_EQ(child.OutputGet(buf, sizeof(buf)), 0u);

    // A long line arrives in pieces of 255 characters.
    const std::string line(300, 'x');
    child.Load({"printf", "%s\\n", line});
    EXPECT_EQ(nextLine(child), line.substr(0, 255));
    EXPECT_EQ(allLines(child), line.substr(255) + "\n");
}

TEST(CPipeChild, UnloadEndsAWriterWhoseReaderLeft) {
    // The kernel ignores SIGPIPE; the child must not inherit that and write forever.
    const auto old = signal(SIGPIPE, SIG_IGN);
    {
        CPipeChild child({"yes"});
        EXPECT_EQ(nextLine(child), "y\n");
        EXPECT_EQ(child.Unload(), -1);
    }
    signal(SIGPIPE, old);
}

}  // namespace
