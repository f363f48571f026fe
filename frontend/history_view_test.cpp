#include "frontend/history_view.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "frontend/frontend_error.h"
#include "test_helpers.h"

namespace {

TEST(FrontendHistory, OlderGenerationFirstAndBadLinesCounted) {
    TempDir dir;
    EXPECT_TRUE(HistoryRead(dir.path()).entries.empty()) << "no file yet: an empty history";
    dir.write("history.jsonl.1", R"({"time":"t1","user":"root","uid":0,"job":"update","result":"done","reboot":"none"})"
                                 "\n");
    dir.write("history.jsonl", "not json\n[1,2]\n"
                               R"({"time":"t2","user":"ann","uid":1000,"job":"backup","result":"failed",)"
                               R"("text":"Can't overwrite file","reboot":"none","uid_extra":1})"
                               "\n{\"job\": 5}\n");
    const SHistory history = HistoryRead(dir.path());
    ASSERT_EQ(history.entries.size(), 3u);
    EXPECT_EQ(history.entries[0].csTime, "t1");
    EXPECT_EQ(history.entries[1].csUser, "ann");
    EXPECT_EQ(history.entries[1].nUid, 1000);
    EXPECT_EQ(history.entries[1].csText, "Can't overwrite file");
    EXPECT_EQ(history.entries[2].csJob, "") << "a field of another type reads as empty, never throws";
    EXPECT_EQ(history.nUnreadable, 2u);
}

// A folder in the file's place cannot be read, whoever runs the test.
TEST(FrontendHistory, AFileThatCannotBeReadIsAnError) {
    TempDir dir;
    const std::string csPath = dir.file("history.jsonl");
    ASSERT_EQ(mkdir(csPath.c_str(), 0755), 0);
    try {
        HistoryRead(dir.path());
        FAIL() << "no error";
    } catch (const CFrontendError& e) {
        EXPECT_EQ(e.ExitCode(), eExitJobError);
        EXPECT_NE(std::string(e.what()).find(csPath), std::string::npos) << e.what();
    }
}

}  // namespace
