#include "extension/qmx2_enums.h"

#include "support/name_table.h"

namespace {

const SNameEntry<COemSetting::eOemSetting> kOemSettingNames[] = {
    {COemSetting::OEM_SETTING_UNKNOWN, "OEM_SETTING_UNKNOWN"},
    {COemSetting::OEM_SETTING_DISABLED, "OEM_SETTING_DISABLED"},
    {COemSetting::OEM_SETTING_ENABLED, "OEM_SETTING_ENABLED"},
    {COemSetting::OEM_SETTING_NOT_RELEVANT, "OEM_SETTING_NOT_RELEVANT"},
};

const SNameEntry<CPowerState::e_powerstates> kPowerStateNames[] = {
    {CPowerState::BUPINFO_POWER_INVALID, "BUPINFO_POWER_INVALID"},
    {CPowerState::BUPINFO_POWER_S0, "BUPINFO_POWER_S0"},
    {CPowerState::BUPINFO_POWER_S1, "BUPINFO_POWER_S1"},
    {CPowerState::BUPINFO_POWER_S2, "BUPINFO_POWER_S2"},
    {CPowerState::BUPINFO_POWER_S3, "BUPINFO_POWER_S3"},
    {CPowerState::BUPINFO_POWER_S4, "BUPINFO_POWER_S4"},
    {CPowerState::BUPINFO_POWER_S5, "BUPINFO_POWER_S5"},
    {CPowerState::BUPINFO_POWER_ALL, "BUPINFO_POWER_ALL"},
};

const char kCurBup[] = "UPD_NEXT_FILE_CUR_BUP";
const char kCurDir[] = "UPD_NEXT_FILE_CUR_DIR";
const char kCommonBup[] = "UPD_NEXT_FILE_COMMON_BUP";
const char kNewest[] = "UPD_NEXT_FILE_NEWEST";
const char kPrepareLocally[] = "UPD_NEXT_FILE_PREPARE_LOCALLY";
const char kIgnoreCase[] = "UPD_NEXT_FILE_IGNORE_CASE";
const char kInvalid[] = "UPD_NEXT_FILE_INVALID";

}  // namespace

std::string COemSetting::ToString() const { return NameOf(kOemSettingNames, m_value); }

void COemSetting::FromString(const std::string& s) {
    m_value = ValueOf(kOemSettingNames, s, OEM_SETTING_UNKNOWN);
}

std::string CPowerState::ToString() const { return NameOf(kPowerStateNames, m_value); }

void CPowerState::FromString(const std::string& s) {
    m_value = ValueOf(kPowerStateNames, s, BUPINFO_POWER_INVALID);
}

std::string CNextFileLocation::ToString() const {
    static const SNameEntry<e_next_file_location> kWriteOrder[] = {
        {UPD_NEXT_FILE_PREPARE_LOCALLY, kPrepareLocally}, {UPD_NEXT_FILE_NEWEST, kNewest},
        {UPD_NEXT_FILE_COMMON_BUP, kCommonBup},           {UPD_NEXT_FILE_CUR_DIR, kCurDir},
        {UPD_NEXT_FILE_CUR_BUP, kCurBup},                 {UPD_NEXT_FILE_IGNORE_CASE, kIgnoreCase},
    };
    std::string text;
    for (const auto& entry : kWriteOrder) {
        if (!Has(entry.value)) continue;
        if (!text.empty()) text += " | ";
        text += entry.name;
    }
    return text;
}

// Modules rely on the established search: each name is looked for from where
// the one before it in the chain was found, so text in another order can lose
// flags. Text written by ToString always reads back unchanged.
void CNextFileLocation::FromString(const std::string& s) {
    uint32_t bits = 0;
    auto look = [&s, &bits](const char* name, size_t from, uint32_t bit) {
        const size_t pos = s.find(name, from);
        if (pos == std::string::npos) return size_t{0};
        bits |= bit;
        return pos;
    };
    const size_t posNewest = look(kNewest, 0, UPD_NEXT_FILE_NEWEST);
    const size_t posCommon = look(kCommonBup, posNewest, UPD_NEXT_FILE_COMMON_BUP);
    const size_t posCurDir = look(kCurDir, posCommon, UPD_NEXT_FILE_CUR_DIR);
    const size_t posCurBup = look(kCurBup, posCurDir, UPD_NEXT_FILE_CUR_BUP);
    size_t posInvalid = s.find(kInvalid, posCurBup);
    if (posInvalid == std::string::npos) posInvalid = 0;
    const size_t posPrepare = look(kPrepareLocally, posInvalid, UPD_NEXT_FILE_PREPARE_LOCALLY);
    look(kIgnoreCase, posPrepare, UPD_NEXT_FILE_IGNORE_CASE);
    m_value = static_cast<e_next_file_location>(bits);
}
