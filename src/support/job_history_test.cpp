#include "support/job_history.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "test_helpers.h"

namespace {

SHistoryRecord Record(const std::string& strJob, const std::string& strText = "") {
    SHistoryRecord r;
    r.tTime = 1796515200;  // 2026-12-06T00:00:00Z
    r.uid = geteuid();
    r.strJob = strJob;
    r.strCommandLine = "-at -o new.bup -pwd ********";
    r.strPackage = "/w/new.bup";
    r.fDone = strText.empty();
    r.strText = strText;
    r.strReboot = "none";
    return r;
}

std::vector<nlohmann::json> Lines(const std::string& strPath) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(TempDir::read(strPath));
    for (std::string s; std::getline(in, s);)
        lines.push_back(nlohmann::json::parse(s));
    return lines;
}

TEST(JobHistory, OneLinePerJobWithoutEmptyFields) {
    TempDir dir;
    const CJobHistory history(dir.file("q"));
    ASSERT_TRUE(history.Append(Record("update")));
    SHistoryRecord failed = Record("backup", "bad \xff text");
    failed.strPackage.clear();
    ASSERT_TRUE(history.Append(failed));

    const auto lines = Lines(dir.file("q/history.jsonl"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["time"], "2026-12-06T00:00:00Z");
    EXPECT_EQ(lines[0]["job"], "update");
    EXPECT_EQ(lines[0]["result"], "done");
    EXPECT_FALSE(lines[0].contains("text"));
    EXPECT_EQ(lines[1]["result"], "failed");
    EXPECT_FALSE(lines[1].contains("package"));
    EXPECT_NE(lines[1]["text"].get<std::string>().find("\xef\xbf\xbd"), std::string::npos) << "bytes replaced";
    struct stat st {};
    ASSERT_EQ(stat(dir.file("q/history.jsonl").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u) << "anyone may read it";
}

// The cap keeps the current file and one older generation; nothing older.
TEST(JobHistory, RotatesOnceAtTheCap) {
    TempDir dir;
    const size_t nLine = CJobHistory::Line(Record("update")).size() + 1;
    const CJobHistory history(dir.path(), 3 * nLine);
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(history.Append(Record("update")));
    EXPECT_EQ(Lines(dir.file("history.jsonl")).size(), 1u);
    EXPECT_EQ(Lines(dir.file("history.jsonl.1")).size(), 3u);
    EXPECT_EQ(access(dir.file("history.jsonl.2").c_str(), F_OK), -1);
}

// Another user's hand in the folder or the file: nothing is written through it.
TEST(JobHistory, RefusesWhatIsNotOursAlone) {
    TempDir dir;
    const std::string strTarget = dir.write("target", "keep");

    ASSERT_EQ(mkdir(dir.file("open").c_str(), 0755), 0);
    ASSERT_EQ(chmod(dir.file("open").c_str(), 0777), 0);
    EXPECT_FALSE(CJobHistory(dir.file("open")).Append(Record("update"))) << "a folder others may write";

    ASSERT_EQ(mkdir(dir.file("link").c_str(), 0755), 0);
    ASSERT_EQ(symlink(strTarget.c_str(), dir.file("link/history.jsonl").c_str()), 0);
    EXPECT_FALSE(CJobHistory(dir.file("link")).Append(Record("update"))) << "a symlink in place of the file";

    ASSERT_EQ(mkdir(dir.file("hard").c_str(), 0755), 0);
    ASSERT_EQ(link(strTarget.c_str(), dir.file("hard/history.jsonl").c_str()), 0);
    EXPECT_FALSE(CJobHistory(dir.file("hard")).Append(Record("update"))) << "a second name of another file";

    ASSERT_EQ(symlink(dir.file("hard").c_str(), dir.file("dirlink").c_str()), 0);
    EXPECT_FALSE(CJobHistory(dir.file("dirlink")).Append(Record("update"))) << "a symlink in place of the folder";
    EXPECT_EQ(TempDir::read(strTarget), "keep");
}

}  // namespace
