#include "frontend/job_verbs.h"

#include <sys/stat.h>

#include <algorithm>
#include <iterator>

#include "frontend/frontend_error.h"
#include "frontend/long_option.h"

namespace {

[[noreturn]] void UsageError(const std::string& csText) { throw CFrontendError(eExitUsage, csText); }

// A flag of the verbs and the option it stands for.
struct SVerbFlag {
    const char* pszFlag;
    const char* pszOption;
};

const SVerbFlag kFlags[] = {
    {"--allow-reinstall", "-ov"},  // the same BIOS again
    {"--allow-older", "-ov"},      // an older BIOS
    {"--overwrite", "-ov"},        // an existing archive or package
    {"--reboot", "-arb"},
    {"--no-reboot", "-narb"},
};

struct SVerb {
    const char* pszVerb;
    const char* pszOption;  // what the job starts with
    int nNamesMax;          // names the verb takes after it
};

const SVerb kVerbs[] = {
    {"update", "-at", 1},
    {"backup", "-arc", 1},
    {"restore", "-nvu", 1},
    {"last-action", "-ast", 0},
    {"status", "", 0},
    {"history", "", 0},
    {"boot-check", "", 0},
    {"combine", "--make", 0},
};

const SVerb* VerbFind(const std::string& csWord) {
    for (const SVerb& verb : kVerbs)
        if (csWord == verb.pszVerb)
            return &verb;
    return nullptr;
}

bool IsFolder(const std::string& csPath) {
    struct stat st {};
    return stat(csPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool IsJobVerb(const std::vector<std::string>& words) { return !words.empty() && VerbFind(words[0]) != nullptr; }

SVerbJob JobVerbTranslate(const std::vector<std::string>& words) {
    const SVerb* pVerb = words.empty() ? nullptr : VerbFind(words[0]);
    if (!pVerb)
        UsageError("no such verb: '" + (words.empty() ? std::string() : words[0]) + "'");
    const std::string csVerb = pVerb->pszVerb;
    SVerbJob result;
    result.fStatus = csVerb == "status";
    result.fHistory = csVerb == "history";
    result.fBootCheck = csVerb == "boot-check";
    if (*pVerb->pszOption)
        result.job.push_back(pVerb->pszOption);
    std::vector<std::string> names;
    std::string csBios, csConfig, csOut;
    const bool fCombine = csVerb == "combine";
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& csWord = words[i];
        if (csWord == "--password") {
            result.fPassword = true;
        } else if (LongOptionIs(csWord, "--log", true)) {
            result.job.push_back("-lf");
            result.job.push_back(LongOptionValue(words, i, "--log"));
        } else if (fCombine && LongOptionIs(csWord, "--bios", true)) {
            csBios = LongOptionValue(words, i, "--bios");
        } else if (fCombine && LongOptionIs(csWord, "--config", true)) {
            csConfig = LongOptionValue(words, i, "--config");
        } else if (fCombine && (csWord == "-o" || LongOptionIs(csWord, "--output", true))) {
            csOut = LongOptionValue(words, i, csWord == "-o" ? "-o" : "--output");
        } else if (csWord.rfind("-", 0) == 0) {
            const auto flag = std::find_if(std::begin(kFlags), std::end(kFlags),
                                           [&](const SVerbFlag& f) { return csWord == f.pszFlag; });
            if (flag == std::end(kFlags))
                UsageError(csVerb + ": unknown flag '" + csWord + "'");
            result.job.push_back(flag->pszOption);
        } else {
            names.push_back(csWord);
        }
    }
    if (names.size() > static_cast<size_t>(pVerb->nNamesMax))
        UsageError(csVerb + ": '" + names.back() + "' is one name too many");
    if ((result.fStatus || result.fHistory || result.fBootCheck) && result.job.size() > 0)
        UsageError(csVerb + " takes no flags");
    if (fCombine) {
        if (csBios.empty() || csConfig.empty() || csOut.empty())
            UsageError("combine needs --bios PACKAGE, --config ARCHIVE and -o OUT");
        result.job.insert(result.job.end(), {"-o", csOut, "-binp", csBios, "-cinp", csConfig});
    } else if (!names.empty()) {
        // A folder to update from is scanned; anything else names the file.
        if (csVerb == "update" && IsFolder(names[0]))
            result.job.insert(result.job.begin() + 1, {"-d", names[0]});
        else
            result.job.insert(result.job.begin() + 1, {"-o", names[0]});
    }
    return result;
}

const char* JobVerbsHelp() {
    return "Verbs (after the front-end options; the option language stays available):\n"
           "  update [PACKAGE|FOLDER]   update the BIOS from the package, or the best one in the folder\n"
           "  backup [ARCHIVE]          save the configuration into a new archive\n"
           "  restore [ARCHIVE]         restore the configuration from the archive\n"
           "  last-action               show the status of the last BIOS action\n"
           "  status                    show the kernel's state, BIOS, system and ME firmware\n"
           "  history                   show the jobs the kernel did: time, user, job, package, result, reboot\n"
           "  boot-check                after a BIOS update's restart, put back the boot entries and order\n"
           "                            the firmware reset (run at boot by quillmark-boot-check.service)\n"
           "  combine --bios PACKAGE --config ARCHIVE -o OUT\n"
           "                            make one package of a BIOS package and a configuration\n"
           "Flags of the verbs:\n"
           "  --allow-reinstall         allow the BIOS the board runs already (-ov)\n"
           "  --allow-older             allow an older BIOS (-ov)\n"
           "  --overwrite               replace an existing archive or package (-ov)\n"
           "  --reboot / --no-reboot    allow the reboot the job needs, or skip it (-arb / -narb)\n"
           "  --password                ask for the BIOS password and pass it on encrypted\n"
           "  --log FILE                write the job's log to FILE (-lf)\n";
}
