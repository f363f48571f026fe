#include "frontend/remedy_hint.h"

#include <gtest/gtest.h>

#include "bupinfo/bup_archive.h"
#include "test_helpers.h"

namespace {


SKernelMessage Candidate(const std::string& csName, CBupUsability::e_usability eUsability) {
    SKernelMessage msg;
    msg.eType = CDEdureMsg::eCheckFileResult;
    msg.Candidate.emplace();
    msg.Candidate->m_csName = csName.c_str();
    msg.Candidate->m_Usability = eUsability;
    return msg;
}

SKernelStatus Board() {
    SKernelStatus status;
    status.csSystem = "X1";
    status.csActiveBios = "1.00";
    return status;
}

std::string HintAfter(const std::string& csCmdLine, const std::vector<SKernelMessage>& msgs) {
    CRemedyHint hint(csCmdLine, Board());
    for (const SKernelMessage& msg : msgs)
        hint.Observe(msg);
    return hint.Text();
}

// A package whose description names the boards and the BIOS.
void PackageMake(const TempDir& dir, const std::string& csName, const std::string& csBoards, const char* pszBios) {
    const std::string csPath =
        dir.write("BupInfo2.xml", "<bupinfo2><packtype>BIOS</packtype>" + csBoards + "<biosversion>" + pszBios +
                                      "</biosversion></bupinfo2>");
    ASSERT_TRUE(CBupArchive(dir.file(csName).c_str()).FileAdd(csPath.c_str()));
}

TEST(FrontendRemedyHint, MissingConfirmationsNameTheFlag) {
    const struct {
        const char* pszCmdLine;
        CBupUsability::e_usability eVerdict;
        const char* pszMissing;
        const char* pszExpected;
    } cases[] = {
        {"-d /w -at -o a.bup", CBupUsability::USABILITY_EQUAL_VERSION, "overwrite", "--allow-reinstall (-ov)"},
        {"-d /w -at -o a.bup", CBupUsability::USABILITY_OLDER_VERSION, "overwrite", "--allow-older (-ov)"},
        {"-d /w -arc -o a.nvux", CBupUsability::USABILITY_NEWER_VERSION, "overwrite", "archive is there already"},
        {"-d /w -at -o a.bup", CBupUsability::USABILITY_NEWER_VERSION, "allow reboot",
         "--reboot (-arb) to let the kernel reboot when it is done, or --no-reboot (-narb)"},
        {"-d /w -at", CBupUsability::USABILITY_EQUAL_VERSION, "overwrite, allow reboot",
         "to flash it again; the job needs a reboot"},
        {"-d /w -at", CBupUsability::USABILITY_NEWER_VERSION, "force core update", "use a complete package"},
        {"-d /w -at", CBupUsability::USABILITY_NEWER_VERSION, "ignore AC", "confirm 'ignore AC', which no option"},
    };
    for (const auto& c : cases) {
        const std::string csHint =
            HintAfter(c.pszCmdLine, {Candidate("a.bup", c.eVerdict),
                                     TextMessage(CDEdureMsg::eError, std::string("confirmations missing: ") + c.pszMissing)});
        EXPECT_NE(csHint.find(c.pszExpected), std::string::npos) << c.pszMissing << ": " << csHint;
    }
}

// The boards and versions that did not match come from the packages' own descriptions.
TEST(FrontendRemedyHint, MismatchNamesBoardsAndVersions) {
    TempDir dir;
    PackageMake(dir, "other.bup", "<board>Y2</board><board>Y3</board>", "2.00");
    PackageMake(dir, "mine.bup", "<board>X1</board>", "0.50");
    dir.write("junk.bup", "no zip at all");
    const std::string csLine = "-d " + dir.path() + " -at";
    const std::string csIncompatible =
        "The BIOS version in the file is not update compatible with the version installed.";

    std::string cs = HintAfter(csLine, {TextMessage(CDEdureMsg::eFileName, "other.bup"), TextMessage(CDEdureMsg::eError, csIncompatible)});
    EXPECT_EQ(cs, "other.bup is for boards Y2, Y3 with BIOS 2.00; this machine is X1 running BIOS 1.00: use a package "
                  "made for X1");

    cs = HintAfter(csLine, {TextMessage(CDEdureMsg::eFileName, "mine.bup"),
                            TextMessage(CDEdureMsg::eError, "Downgrading to this BIOS version is prohibited.")});
    EXPECT_NE(cs.find("mine.bup is for board X1 with BIOS 0.50"), std::string::npos) << cs;
    EXPECT_NE(cs.find("does not go back to an older BIOS, use 1.00 or newer"), std::string::npos) << cs;

    // A file without a readable description is named, and no board is blamed.
    cs = HintAfter(csLine, {TextMessage(CDEdureMsg::eFileName, "junk.bup"), TextMessage(CDEdureMsg::eFileName, "other.bup"),
                            TextMessage(CDEdureMsg::eError, csIncompatible)});
    EXPECT_NE(cs.find("junk.bup has no description that names its board; other.bup is for boards"), std::string::npos)
        << cs;
    EXPECT_EQ(cs.find("use a package made for"), std::string::npos) << cs;
}

TEST(FrontendRemedyHint, NoCandidateTellsWhatWasLookedAt) {
    TempDir dir;
    const std::string csLine = "-d " + dir.path() + " -at -o \"zz*.bup\"";
    EXPECT_EQ(HintAfter(csLine, {TextMessage(CDEdureMsg::eError, "invalid or missing file(s)")}),
              "no file in " + dir.path() +
                  " matches 'zz*.bup': name the package (quillmark update PACKAGE) or the folder that holds it");
    EXPECT_NE(HintAfter("-d " + dir.path() + " -nvu", {TextMessage(CDEdureMsg::eError, "invalid or missing file(s)")})
                  .find("matches '*.nvux': name the archive (quillmark restore ARCHIVE)"),
              std::string::npos);

    const std::string cs = HintAfter(csLine, {Candidate("a.bup", CBupUsability::USABILITY_INCOMPATIBLE_VERSION),
                                              TextMessage(CDEdureMsg::eFileName, "b.bup"), TextMessage(CDEdureMsg::eFileName, "a.bup"),
                                              TextMessage(CDEdureMsg::eError, "invalid or missing file(s)")});
    EXPECT_EQ(cs, "looked at a.bup (incompatible version), b.bup (not for this board) in " + dir.path() +
                      "; none fits: this machine is X1 running BIOS 1.00");

    // The same text from the module, once it works on the chosen file, is no scan's failure.
    EXPECT_EQ(HintAfter(csLine, {TextMessage(CDEdureMsg::eAction, "Checking update file(s)"), TextMessage(CDEdureMsg::eFileName, "a.bup"),
                                 TextMessage(CDEdureMsg::eAction, "Selecting file"), TextMessage(CDEdureMsg::eAction, "Updating system BIOS"),
                                 TextMessage(CDEdureMsg::eError, "invalid or missing file(s)")}),
              "the board module refused a file of a.bup while it worked on it; add -estat to the job to see its reason");
}

TEST(FrontendRemedyHint, OnlyRefusalsWeKnowGetAHint) {
    EXPECT_NE(HintAfter("-at", {TextMessage(CDEdureMsg::eError, "Invalid password")}).find("add --password"), std::string::npos);
    EXPECT_NE(HintAfter("-arc", {TextMessage(CDEdureMsg::eError, "This job needs root or membership of the group 'fw'")})
                  .find("sudo quillmark"),
              std::string::npos);
    EXPECT_EQ(HintAfter("-at", {TextMessage(CDEdureMsg::eError, "BIOS update failed")}), "");
    EXPECT_EQ(HintAfter("-at", {TextMessage(CDEdureMsg::eWarning, "Invalid password")}), "") << "only errors are refusals";
    EXPECT_NE(KernelStateHint(CKrnl2Inter::eQmKrnl2ErrNoHardwareModuleFound).find("qmx_modules.conf"),
              std::string::npos);
    EXPECT_EQ(KernelStateHint(CKrnl2Inter::eQmKrnl2ErrOperatingSystemNotSupported), "");
}

}  // namespace
