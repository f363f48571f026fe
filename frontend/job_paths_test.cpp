#include "frontend/job_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "frontend/frontend_error.h"
#include "test_helpers.h"

namespace {

using Words = std::vector<std::string>;

class JobPaths : public testing::Test {
protected:
    void SetUp() override {
        m_tmp.write("pkgs/update.bup", "package");
        m_tmp.write("pkgs/saved.nvux", "archive");
        std::filesystem::create_directories(m_tmp.file("here"));
    }
    std::string Here() const { return m_tmp.file("here"); }
    // The usage error's text, or "" when the job resolves.
    std::string Refusal(const Words& job) const {
        try {
            JobPathsResolve(job, Here());
        } catch (const CFrontendError& e) {
            EXPECT_EQ(e.ExitCode(), eExitUsage);
            return e.what();
        }
        return "";
    }
    TempDir m_tmp;
};

// The folder a package's name gives becomes the kernel's working directory,
// however the user wrote it.
TEST_F(JobPaths, ThePackagesFolderBecomesTheWorkingDirectory) {
    const std::string pkgs = m_tmp.file("pkgs");
    for (const std::string& name : {pkgs + "/update.bup", std::string("../pkgs/update.bup"),
                                    std::string("./../here/../pkgs/update.bup")}) {
        const SJobPaths paths = JobPathsResolve({"-at", "-o", name, "-ov"}, Here());
        EXPECT_EQ(paths.strWorkDir, pkgs) << name;
        EXPECT_EQ(paths.words, (Words{"-at", "-o", "update.bup", "-ov"})) << name;
    }
    const SJobPaths restore = JobPathsResolve({"-NVU", "-O", "../pkgs/saved.nvux"}, Here());
    EXPECT_EQ(restore.strWorkDir, pkgs);
    EXPECT_EQ(restore.words[2], "saved.nvux");

    // Without a name the user's own folder stays, and a job's own -d wins.
    EXPECT_EQ(JobPathsResolve({"-at"}, Here()).strWorkDir, Here());
    const SJobPaths own = JobPathsResolve({"-at", "-d", "../pkgs", "-o", "sub/x.bup"}, Here());
    EXPECT_EQ(own.words, (Words{"-at", "-d", pkgs, "-o", "sub/x.bup"}));
}

// Inputs are checked; what a job writes need not exist yet.
TEST_F(JobPaths, MissingInputsAreNamedWithTheirPath) {
    EXPECT_NE(Refusal({"-at", "-o", "new.bup"}).find(Here() + "/new.bup"), std::string::npos);
    EXPECT_NE(Refusal({"-nvu", "-o", "../pkgs/none.nvux"}).find(m_tmp.file("pkgs/none.nvux")), std::string::npos);
    EXPECT_NE(Refusal({"-at", "-o", "../nowhere/*.bup"}).find("no such folder"), std::string::npos);
    EXPECT_NE(Refusal({"--make", "-o", "c.bup", "-binp", "b.bup", "-cinp", "../pkgs/saved.nvux"}).find(Here() + "/b.bup"),
              std::string::npos);
    EXPECT_NE(Refusal({"-at", "-d", "../pkgs/update.bup"}).find("is not a folder"), std::string::npos);
    EXPECT_NE(Refusal({"-at", "-o", "../pkgs"}).find("names a folder"), std::string::npos);

    EXPECT_EQ(Refusal({"-at", "-o", "../pkgs/*.bup"}), "") << "a pattern names no one file";
    EXPECT_EQ(Refusal({"-arc", "-o", "../pkgs/new.nvux"}), "") << "a backup writes its archive";
    EXPECT_EQ(Refusal({"--make", "-o", "new.bup", "-binp", "../pkgs/update.bup", "-cinp", "../pkgs/saved.nvux"}), "");
}

// Names the kernel would take relative to its own folder are made absolute.
TEST_F(JobPaths, LogAndInputNamesBecomeAbsolute) {
    const SJobPaths paths =
        JobPathsResolve({"--make", "-o", "c.bup", "-binp", "../pkgs/update.bup", "-cinp", "../pkgs/saved.nvux",
                         "-lf", "logs/job.log"},
                        Here());
    EXPECT_EQ(paths.words[4], m_tmp.file("pkgs/update.bup"));
    EXPECT_EQ(paths.words[6], m_tmp.file("pkgs/saved.nvux"));
    EXPECT_EQ(paths.words[8], Here() + "/logs/job.log");
    EXPECT_EQ(JobPathsResolve({"-at", "-lf", "/var/log/q.log"}, Here()).words[2], "/var/log/q.log");
    EXPECT_EQ(JobPathsResolve({"-at", "-lf", "-ov"}, Here()).words, (Words{"-at", "-lf", "-ov"}))
        << "-lf without its optional name";
}

}  // namespace
