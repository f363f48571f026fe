#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "kernel/krnl2_app.h"
#include "test_helpers.h"

namespace {
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
}  // namespace

TEST(EventLog, LineLayoutAndTexts) {
    TempDir tmp;
    CKrnl2App app;
    app.WrkDirSet(tmp.path().c_str());
    ASSERT_TRUE(app.LogfileNamePrepare("events.log"));

    struct Case {
        CKrnl2App::E_LOG_LEVEL level;
        int id;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {CKrnl2App::LOG_INFO, 2028, "/a.bup", "INFO: The BIOS has been updated with /a.bup."},
        {CKrnl2App::LOG_ERROR, 2026, "x", "ERRO: Error during storing data in file x."},
        {CKrnl2App::LOG_WARNING, 2037, "ignored", "WARN: System will be rebooted."},
        {CKrnl2App::LOG_INVALID, 2010, nullptr, "INFO: ???"},
        // The caller's text is data, never a format.
        {CKrnl2App::LOG_INFO, 2010, "100%s %d %n", "INFO: 100%s %d %n"},
        {CKrnl2App::LOG_ERROR, 4711, "x", "ERRO: EventMsgLoad: resource not available"},
    };
    for (const Case& c : cases)
        app.ReportAnEvent(c.level, c.id, c.text);

    const std::vector<std::string> lines = Lines(TempDir::read(tmp.file("events.log")));
    ASSERT_EQ(lines.size(), std::size(cases));
    for (size_t i = 0; i < lines.size(); ++i) {
        // "Mon, 09:05:01, " and then the level word.
        struct tm stamp {};
        const char* pszRest = strptime(lines[i].c_str(), "%a, %H:%M:%S, ", &stamp);
        ASSERT_NE(pszRest, nullptr) << lines[i];
        EXPECT_EQ(pszRest - lines[i].c_str(), 15) << lines[i];
        EXPECT_STREQ(pszRest, cases[i].expected);
    }
}

TEST(EventLog, NoLogfileOrUnwritableLogfile) {
    TempDir tmp;
    CKrnl2App app;
    app.WrkDirSet(tmp.path().c_str());
    app.ReportAnEvent(CKrnl2App::LOG_ERROR, 2012, "dropped");
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));

    const std::string missingDir = tmp.file("missing/x.log");
    ASSERT_TRUE(app.LogfileNamePrepare(missingDir.c_str()));
    app.ReportAnEvent(CKrnl2App::LOG_ERROR, 2012, "lost");
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));

    // Planted in the log's place: a link is not followed, a FIFO does not hold the job up.
    const std::string target = tmp.write("target", "untouched");
    ASSERT_EQ(symlink(target.c_str(), tmp.file("link.log").c_str()), 0);
    ASSERT_TRUE(app.LogfileNamePrepare(tmp.file("link.log").c_str()));
    app.ReportAnEvent(CKrnl2App::LOG_ERROR, 2012, "redirected");
    EXPECT_EQ(TempDir::read(target), "untouched");
    ASSERT_EQ(mkfifo(tmp.file("fifo.log").c_str(), 0666), 0);
    ASSERT_TRUE(app.LogfileNamePrepare(tmp.file("fifo.log").c_str()));
    app.ReportAnEvent(CKrnl2App::LOG_ERROR, 2012, "stuck");
}

TEST(EventLog, LogfileNames) {
    struct utsname names {};
    ASSERT_EQ(uname(&names), 0);
    const std::string wrk = "/work/dir";
    struct Case {
        const char* name;
        std::string expected;
    };
    const Case cases[] = {
        {"", wrk + "/qm_" + names.nodename + ".log"},
        {"job.log", wrk + "/job.log"},
        {"/logs/job.log", "/logs/job.log"},
        {"sub/job.log", "sub/job.log"},
        {"job_?model?.log", wrk + "/job_product_name.log"},
    };
    for (const Case& c : cases) {
        CKrnl2App app;
        app.WrkDirSet(wrk.c_str());
        app.FileNamePatterns().SetToken("model", "product_name");
        ASSERT_TRUE(app.LogfileNamePrepare(c.name)) << c.name;
        EXPECT_STREQ(app.Logfile(), c.expected.c_str()) << c.name;
    }

    // A name that comes out empty leaves the earlier log file in place.
    CKrnl2App app;
    app.WrkDirSet(wrk.c_str());
    ASSERT_TRUE(app.LogfileNamePrepare("first.log"));
    EXPECT_FALSE(app.LogfileNamePrepare("?dir/x.log"));
    EXPECT_STREQ(app.Logfile(), (wrk + "/first.log").c_str());
}
