#include "cmdline/option_table.h"

namespace {

constexpr bool kOptional = true;
constexpr bool kRequired = false;
constexpr bool kHidden = true;
constexpr bool kShown = false;

}  // namespace

// A leading "-" in a text means the option is typed with two dashes.
const SQmOptionRow g_QmOptionTable[kQmOptionRows] = {
    {{"at", "-auto"}, eUpdate, nullptr, kOptional, kShown},
    {{"h", "-help"}, eUsage, nullptr, kOptional, kShown},
    {{"e", "-errorlevel"}, eErrorlevels, nullptr, kOptional, kShown},
    {{"v", "-version"}, eVersion, nullptr, kOptional, kShown},
    {{"i", "-info"}, eInfo, nullptr, kOptional, kShown},
    {{"arc", nullptr}, eArchiveConfiguration, nullptr, kOptional, kShown},
    {{"nvu", "-nvramupdate"}, eNvramUpdate, nullptr, kOptional, kShown},
    {{"mcu", nullptr}, eMicroCodeUpdate, nullptr, kOptional, kShown},
    {{"-debugcode", nullptr}, eDebugCodeArea, nullptr, kOptional, kShown},
    {{"-bioscode", nullptr}, eBiosCodeArea, nullptr, kOptional, kShown},
    {{"-passwords", nullptr}, ePasswordArea, nullptr, kOptional, kShown},
    {{"-systemdata", nullptr}, eSystemDataArea, nullptr, kOptional, kShown},
    {{"-logo", nullptr}, eLogoArea, nullptr, kOptional, kShown},
    {{"-nvram", nullptr}, eNvRamArea, nullptr, kOptional, kShown},
    {{"-bootorder", nullptr}, eBootOrderVariablesArea, nullptr, kOptional, kShown},
    {{"-crypt", nullptr}, eCrypt, &CQmCmdLine::m_csPassword, kRequired, kShown},
    {{"arb", "-allowreboot"}, eAllowReboot, nullptr, kOptional, kShown},
    {{"narb", "-notallowreboot"}, eNoReboot, nullptr, kOptional, kShown},
    {{"-archive", "ar"}, eArchive, nullptr, kOptional, kShown},
    {{"ov", "-overwrite"}, eOverwrite, nullptr, kOptional, kShown},
    {{"lf", "-logfile"}, eLogfile, &CQmCmdLine::m_csLogfile, kOptional, kShown},
    {{"-make", nullptr}, eMake, nullptr, kOptional, kShown},
    {{"cinp", nullptr}, eCinp, &CQmCmdLine::m_csCinp, kRequired, kShown},
    {{"binp", nullptr}, eBinp, &CQmCmdLine::m_csBinp, kRequired, kShown},
    {{"pwd", nullptr}, ePwd, &CQmCmdLine::m_csPassword, kRequired, kHidden},
    {{"pwc", nullptr}, ePwc, &CQmCmdLine::m_csPassword, kRequired, kHidden},
    {{"estat", "-extendedstatus"}, eExtendedStatus, nullptr, kOptional, kShown},
    {{"o", nullptr}, eObjectFile, &CQmCmdLine::m_csTarget, kRequired, kShown},
    {{"d", nullptr}, eWorkingDirectory, &CQmCmdLine::m_csWrkDir, kRequired, kShown},
    {{"ast", "-actionstatus"}, eActionStatus, nullptr, kOptional, kShown},
    {{"fcod", "-forcecapsuleondisk"}, eForceCapsuleOnDisk, nullptr, kOptional, kShown},
    {{"fpost", "-forcecapsulepost"}, eForceCapsulePost, nullptr, kOptional, kShown},
    {{"fcu", "-forcecoreupdate"}, eForceCoreUpdate, nullptr, kOptional, kShown},
    {{"frf", "-forceruntimeflash"}, eForceRuntime, nullptr, kOptional, kShown},
    {{"sbc", "-skipbioscompare"}, eSkipBiosCompare, nullptr, kOptional, kShown},
    {{"-allowxen", nullptr}, eAllowXen, nullptr, kOptional, kShown},
    {{"bmeerr", "-breakonmeupdateerror"}, eBreakOnMeUpdateError, nullptr, kOptional, kShown},
};
