#include "frontend/job_options_help.h"

#include <algorithm>
#include <vector>

#include "cmdline/option_table.h"

namespace {

struct SOptionHelp {
    E_OPTIONS eOption;
    const char* pszParameter;  // shown after the option; null when it takes none
    const char* pszText;
};

const SOptionHelp kHelp[] = {
    {eUpdate, nullptr, "update the BIOS from the package -o names, or the best package in the folder"},
    {eUsage, nullptr, "the kernel's help; as a job nothing is done"},
    {eErrorlevels, nullptr, "accepted; as a job nothing is done"},
    {eVersion, nullptr, "the kernel's version and the module's texts; as a job nothing is done"},
    {eInfo, nullptr, "no job: the session only shows the kernel's announcement"},
    {eArchiveConfiguration, nullptr, "back the configuration up into a new archive (-o names it)"},
    {eNvramUpdate, nullptr, "restore the configuration from the archive -o names, or the best in the folder"},
    {eMicroCodeUpdate, nullptr, "accepted; this kernel has no microcode job"},
    {eDebugCodeArea, nullptr, "area: the debug code"},
    {eBiosCodeArea, nullptr, "area: the BIOS code"},
    {ePasswordArea, nullptr, "area: the BIOS passwords"},
    {eSystemDataArea, nullptr, "area: the system data"},
    {eLogoArea, nullptr, "area: the boot logo"},
    {eNvRamArea, nullptr, "area: the setup settings"},
    {eBootOrderVariablesArea, nullptr, "area: the boot order"},
    {eCrypt, "KEY", "the BIOS password as given"},
    {eAllowReboot, nullptr, "allow the reboot the job needs (the kernel reboots when it is done)"},
    {eNoReboot, nullptr, "confirm the reboot but skip it: reboot later yourself"},
    {eArchive, nullptr, "accepted; no effect on this kernel"},
    {eOverwrite, nullptr, "allow the same or an older BIOS, or replace an existing archive or package"},
    {eLogfile, "FILE", "append the job's log to FILE"},
    {eMake, nullptr, "make one package of a BIOS package (-binp) and a configuration (-cinp) into -o"},
    {eCinp, "ARCHIVE", "the configuration archive for --make"},
    {eBinp, "PACKAGE", "the BIOS package for --make"},
    {ePwd, "PASSWORD", "the BIOS password (quillmark sends it encrypted)"},
    {ePwc, "CODE", "the BIOS password, encrypted"},
    {eExtendedStatus, nullptr, "with -ast: the extended status"},
    {eObjectFile, "NAME", "the package or archive: a name or a pattern with * and ?"},
    {eWorkingDirectory, "DIR", "the folder the names of the job are in"},
    {eActionStatus, nullptr, "show the status of the last BIOS action"},
    {eForceCapsuleOnDisk, nullptr, "ask the module to pass the capsule on disk"},
    {eForceCapsulePost, nullptr, "ask the module to pass the capsule at the next start"},
    {eForceCoreUpdate, nullptr, "accepted; confirms nothing on this kernel"},
    {eForceRuntime, nullptr, "ask the module to flash at run time"},
    {eSkipBiosCompare, nullptr, "take a package whatever its BIOS version"},
    {eAllowXen, nullptr, "accepted; no effect on this kernel"},
    {eBreakOnMeUpdateError, nullptr, "stop when the ME firmware update fails"},
};

const SOptionHelp* HelpFind(E_OPTIONS eOption) {
    const auto it = std::find_if(std::begin(kHelp), std::end(kHelp),
                                 [&](const SOptionHelp& help) { return help.eOption == eOption; });
    return it == std::end(kHelp) ? nullptr : it;
}

}  // namespace

const char* JobOptionDescription(E_OPTIONS eOption) {
    const SOptionHelp* pHelp = HelpFind(eOption);
    return pHelp ? pHelp->pszText : nullptr;
}

std::string JobOptionsHelp() {
    std::vector<std::pair<std::string, std::string>> lines;
    size_t nWidth = 0;
    for (const SQmOptionRow& row : g_QmOptionTable) {
        if (row.fHidden)
            continue;
        const SOptionHelp* pHelp = HelpFind(row.eOption);
        std::string csForms;
        for (const char* pszText : row.apszTexts)
            if (pszText)
                csForms += (csForms.empty() ? "-" : ", -") + std::string(pszText);
        if (pHelp && pHelp->pszParameter)
            csForms += std::string(" ") + pHelp->pszParameter;
        nWidth = std::max(nWidth, csForms.size());
        lines.emplace_back(csForms, pHelp ? pHelp->pszText : "(no description)");
    }
    std::string cs = "Job options (the kernel's option language; any order):\n";
    for (const auto& line : lines)
        cs += "  " + line.first + std::string(nWidth - line.first.size() + 2, ' ') + line.second + "\n";
    return cs;
}
