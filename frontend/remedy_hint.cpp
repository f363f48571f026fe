#include "frontend/remedy_hint.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "cmdline/qm_cmd_line.h"
#include "frontend/job_kind.h"
#include "frontend/message_words.h"
#include "frontend/package_facts.h"

namespace {

bool StartsWith(const std::string& cs, const char* pszPrefix) { return cs.rfind(pszPrefix, 0) == 0; }

// Whether a file in the folder matches the job's pattern; the folder's own
// name is taken as it stands, never as a pattern.
bool AnyMatching(const std::string& csDir, const std::string& csPattern) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(csDir.empty() ? "." : csDir, ec))
        if (fnmatch(csPattern.c_str(), entry.path().filename().c_str(), FNM_PERIOD) == 0)
            return true;
    return false;
}

// The kernel's refusals when the package does not fit the board.
const char* const kMismatchTexts[] = {
    "The BIOS version in the file is not update compatible with the version installed.",
    "Update file doesn't match system or is invalid",
};
const char* const kDowngradeTexts[] = {
    "Downgrading to this BIOS version is prohibited.",
    "System Firmware Rollback Forbidden",
};
// The kernel's refusals when no file could be used.
const char* const kNoCandidateTexts[] = {
    "invalid or missing file(s)",
    "Missing BIOS update file, none found or none could be used for this update. ",
    "Invalid file(s) for full update",
};

template <size_t N>
bool OneOf(const std::string& cs, const char* const (&texts)[N]) {
    return std::any_of(std::begin(texts), std::end(texts), [&](const char* psz) { return cs == psz; });
}

}  // namespace

CRemedyHint::CRemedyHint(const std::string& csCmdLine, SKernelStatus announced) : m_Announced(std::move(announced)) {
    CQmCmdLine cmd;
    cmd.Parse(csCmdLine.c_str());
    const EJobKind eKind = JobKindOf(cmd);
    m_fRestore = eKind == EJobKind::kRestore;
    m_fUpdate = eKind == EJobKind::kUpdate;
    m_fBackup = eKind == EJobKind::kBackup;
    m_csWorkDir = cmd.m_csWrkDir.str();
    m_csTarget = cmd.m_csTarget.str();
}

void CRemedyHint::Observe(const SKernelMessage& msg) {
    if (msg.fBadRecord)
        return;
    if (msg.eType == CDEdureMsg::eError && m_csError.empty() && !msg.Texts.empty())
        m_csError = msg.Texts.front();
    // Past the scan and the choice, the board module works on the chosen file.
    if (msg.eType == CDEdureMsg::eAction && !msg.Texts.empty() && m_csError.empty() &&
        msg.Texts.front() != "Checking update file(s)" && msg.Texts.front() != "Selecting file")
        m_fModuleRan = true;
    const std::string* pName = nullptr;
    if (msg.eType == CDEdureMsg::eFileName && !msg.Texts.empty())
        pName = &msg.Texts.front();
    if (msg.Candidate) {
        pName = &msg.Candidate->m_csName.str();
        m_csChosenVerdict = m_Verdict[*pName] = UsabilityWords(msg.Candidate->m_Usability);
    }
    if (pName && !pName->empty() && std::find(m_Looked.begin(), m_Looked.end(), *pName) == m_Looked.end())
        m_Looked.push_back(*pName);
}

std::string CRemedyHint::Text() const {
    const std::string& e = m_csError;
    if (e.empty())
        return "";
    if (StartsWith(e, "confirmations missing: "))
        return ConfirmationsHint(e.substr(e.find(": ") + 2));
    if (e == "Invalid password")
        return "the board has a BIOS password: add --password to be asked for it (-pwd PASSWORD in the option "
               "language)";
    if (StartsWith(e, "This job needs root"))
        return "run it as root (sudo quillmark ...)";
    if (OneOf(e, kMismatchTexts))
        return MismatchHint(false);
    if (OneOf(e, kDowngradeTexts))
        return MismatchHint(true);
    if (OneOf(e, kNoCandidateTexts) && m_fModuleRan)
        return "the board module refused a file of " + (m_Looked.empty() ? std::string("the package") : m_Looked.back()) +
               " while it worked on it; add -estat to the job to see its reason";
    if (OneOf(e, kNoCandidateTexts))
        return NoCandidateHint();
    if (e == "Can't overwrite file")
        return "the file is there already: add --overwrite (-ov) to replace it, or name another";
    return "";
}

std::string CRemedyHint::ConfirmationsHint(const std::string& csMissing) const {
    std::vector<std::string> remedies;
    size_t nStart = 0;
    while (nStart <= csMissing.size()) {
        size_t nEnd = csMissing.find(", ", nStart);
        if (nEnd == std::string::npos)
            nEnd = csMissing.size();
        const std::string csItem = csMissing.substr(nStart, nEnd - nStart);
        nStart = nEnd + 2;
        if (csItem == "overwrite") {
            if (m_fBackup)
                remedies.emplace_back("the archive is there already: add --overwrite (-ov) to replace it, or name "
                                      "another");
            else if (!m_fUpdate)
                remedies.emplace_back("add --overwrite (-ov) to confirm");
            else if (m_csChosenVerdict == UsabilityWords(CBupUsability::USABILITY_OLDER_VERSION))
                remedies.emplace_back("the package's BIOS is older than the installed one: add --allow-older (-ov) "
                                      "to go back to it");
            else if (m_csChosenVerdict == UsabilityWords(CBupUsability::USABILITY_EQUAL_VERSION))
                remedies.emplace_back("the board runs this BIOS already: add --allow-reinstall (-ov) to flash it "
                                      "again");
            else
                remedies.emplace_back("add --allow-reinstall or --allow-older (-ov) to flash it anyway");
        } else if (csItem == "allow reboot") {
            remedies.emplace_back("the job needs a reboot: add --reboot (-arb) to let the kernel reboot when it is "
                                  "done, or --no-reboot (-narb) to reboot later yourself");
        } else if (csItem == "force core update") {
            remedies.emplace_back("the package is incomplete and no option confirms that: use a complete package");
        } else if (!csItem.empty()) {
            remedies.emplace_back("the board asks to confirm '" + csItem + "', which no option of the job gives");
        }
    }
    return Joined(remedies, "; ");
}

std::string CRemedyHint::MachineText() const {
    return "this machine is " + (m_Announced.csSystem.empty() ? std::string("an unnamed board") : m_Announced.csSystem) +
           (m_Announced.csActiveBios.empty() ? "" : " running BIOS " + m_Announced.csActiveBios);
}

std::string CRemedyHint::PathOf(const std::string& csName) const {
    if (csName.empty() || csName.front() == '/' || m_csWorkDir.empty())
        return csName;
    return m_csWorkDir + "/" + csName;
}

std::string CRemedyHint::MismatchHint(bool fDowngrade) const {
    std::vector<std::string> names = m_Looked;
    if (names.empty() && !m_csTarget.empty())
        names.push_back(m_csTarget);
    // Enough to see the pattern; a folder of hundreds would bury the remedy.
    constexpr size_t kNamesMax = 5;
    std::vector<std::string> told;
    bool fAnyForThisBoard = false;
    bool fAllKnown = !names.empty();
    for (size_t i = 0; i < names.size() && i < kNamesMax; ++i) {
        const std::optional<SPackageFacts> facts = PackageFactsRead(PathOf(names[i]));
        if (!facts || (facts->boards.empty() && facts->strBiosVersion.empty())) {
            told.push_back(names[i] + " has no description that names its board");
            fAllKnown = false;
            continue;
        }
        std::string cs = names[i] + " is";
        if (!facts->boards.empty())
            cs += std::string(" for board") + (facts->boards.size() > 1 ? "s " : " ") + Joined(facts->boards, ", ");
        if (!facts->strBiosVersion.empty())
            cs += (facts->boards.empty() ? " BIOS " : " with BIOS ") + facts->strBiosVersion;
        told.push_back(cs);
        fAnyForThisBoard = fAnyForThisBoard || facts->boards.empty() ||
                           std::find(facts->boards.begin(), facts->boards.end(), m_Announced.csSystem) !=
                               facts->boards.end();
    }
    if (names.size() > kNamesMax)
        told.push_back("and " + std::to_string(names.size() - kNamesMax) + " more");
    const std::string cs = (told.empty() ? std::string("the package does not fit") : Joined(told, "; ")) + "; " +
                           MachineText();
    if (fAllKnown && !fAnyForThisBoard)
        return cs + ": use a package made for " + m_Announced.csSystem;
    if (fDowngrade)
        return cs + ": the board does not go back to an older BIOS, use " + m_Announced.csActiveBios + " or newer";
    return cs + ": the board cannot update from its BIOS to this one, use a package its vendor names for this BIOS";
}

std::string CRemedyHint::NoCandidateHint() const {
    const std::string csDir = m_csWorkDir.empty() ? "." : m_csWorkDir;
    if (m_Looked.empty()) {
        const std::string csPattern = !m_csTarget.empty() ? m_csTarget : (m_fRestore ? "*.nvux" : "*.bup");
        if (!AnyMatching(m_csWorkDir, csPattern))
            return "no file in " + csDir + " matches '" + csPattern + "': name the " +
                   (m_fRestore ? "archive (quillmark restore ARCHIVE)" : "package (quillmark update PACKAGE)") +
                   " or the folder that holds it";
        return "the files in " + csDir + " matching '" + csPattern + "' are no packages this board can read; " +
               MachineText();
    }
    std::vector<std::string> looked;
    for (const std::string& csName : m_Looked) {
        const auto verdict = m_Verdict.find(csName);
        looked.push_back(verdict == m_Verdict.end() ? csName + " (not for this board)"
                                                    : csName + " (" + verdict->second + ")");
    }
    return "looked at " + Joined(looked, ", ") + " in " + csDir + "; none fits: " + MachineText();
}

std::string KernelStateHint(int32_t nState) {
    switch (nState) {
    case CKrnl2Inter::eQmKrnl2ErrNoHardwareModuleFound:
        return "install the board module for this machine in a qmx?? folder beside qmkrnl2 (qmx_modules.conf sets "
               "the order they are tried in); 'qmkrnl2 -v' tells whether one installs";
    case CKrnl2Inter::eQmKrnl2ErrInsufficentPrivileges:
        return "the board module needs root: run it as root (sudo quillmark ...)";
    default: return "";
    }
}
