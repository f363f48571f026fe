#include "extension/qmx2_operation_records.h"

#include <nlohmann/json.hpp>

#include "quillmark/qmx2.h"

namespace {

const char* OrEmpty(const char* sz) { return sz ? sz : ""; }

}  // namespace

// ---- CQmx2UpdateInfo ----------------------------------------------------

void CQmx2UpdateInfo::clear() {
    CQmx2OperationBase::clear();
    BiosCodeArea = false;
    SystemDataArea = false;
    SetupSettingsArea = false;
    LogoArea = false;
    PasswordArea = false;
    BootOrderVariablesArea = false;
    ExplicitAreaMode = false;
}

void CQmx2UpdateInfo::ToJson(nlohmann::json& j) const {
    CQmx2OperationBase::ToJson(j);
    j[qmx2key::BiosCodeArea] = BiosCodeArea;
    j[qmx2key::SystemDataArea] = SystemDataArea;
    j[qmx2key::SetupSettingsArea] = SetupSettingsArea;
    j[qmx2key::LogoArea] = LogoArea;
    j[qmx2key::PasswordArea] = PasswordArea;
    j[qmx2key::BootOrderVariablesArea] = BootOrderVariablesArea;
    j[qmx2key::ExplicitAreaMode] = ExplicitAreaMode;
}

void CQmx2UpdateInfo::FromJson(const nlohmann::json& j) {
    CQmx2OperationBase::FromJson(j);
    ReadKey(j, qmx2key::BiosCodeArea, BiosCodeArea);
    ReadKey(j, qmx2key::SystemDataArea, SystemDataArea);
    ReadKey(j, qmx2key::SetupSettingsArea, SetupSettingsArea);
    ReadKey(j, qmx2key::LogoArea, LogoArea);
    ReadKey(j, qmx2key::PasswordArea, PasswordArea);
    ReadKey(j, qmx2key::BootOrderVariablesArea, BootOrderVariablesArea);
    ReadKey(j, qmx2key::ExplicitAreaMode, ExplicitAreaMode);
}

// ---- CQmx2BackInfo ------------------------------------------------------

void CQmx2BackInfo::clear() {
    CQmx2OperationBase::clear();
    sDestPath.clear();
    sDestName.clear();
}

void CQmx2BackInfo::ToJson(nlohmann::json& j) const {
    CQmx2OperationBase::ToJson(j);
    j[qmx2key::sDestPath] = sDestPath;
    j[qmx2key::sDestName] = sDestName;
}

void CQmx2BackInfo::FromJson(const nlohmann::json& j) {
    CQmx2OperationBase::FromJson(j);
    ReadKey(j, qmx2key::sDestPath, sDestPath);
    ReadKey(j, qmx2key::sDestName, sDestName);
}

void CQmx2BackInfo::InitForStart(const char* szPath, const char* szName) {
    CQmx2OperationBase::InitForStart(szPath);
    sDestPath = OrEmpty(szPath);
    sDestName = OrEmpty(szName);
}

// ---- CQmx2ConfigBackInfo ------------------------------------------------

void CQmx2ConfigBackInfo::clear() {
    CQmx2BackInfo::clear();
    DebugCodeArea = false;
}

void CQmx2ConfigBackInfo::ToJson(nlohmann::json& j) const {
    CQmx2BackInfo::ToJson(j);
    j[qmx2key::DebugCodeArea] = DebugCodeArea;
}

void CQmx2ConfigBackInfo::FromJson(const nlohmann::json& j) {
    CQmx2BackInfo::FromJson(j);
    ReadKey(j, qmx2key::DebugCodeArea, DebugCodeArea);
}

void CQmx2ConfigBackInfo::InitForStart(const char* szPath, const char* szName,
                                       bool fDebugCodeArea) {
    CQmx2BackInfo::InitForStart(szPath, szName);
    DebugCodeArea = fDebugCodeArea;
}

// ---- CQmx2MakeCombinedArchiveInfo ---------------------------------------

void CQmx2MakeCombinedArchiveInfo::clear() {
    CQmx2OperationBase::clear();
    sSourceBiosInput.clear();
    sSourceConfigurationDataInput.clear();
    sDestPath.clear();
    sDestName.clear();
}

void CQmx2MakeCombinedArchiveInfo::ToJson(nlohmann::json& j) const {
    CQmx2OperationBase::ToJson(j);
    j[qmx2key::sSourceBiosInput] = sSourceBiosInput;
    j[qmx2key::sSourceConfigurationDataInput] = sSourceConfigurationDataInput;
    j[qmx2key::sDestPath] = sDestPath;
    j[qmx2key::sDestName] = sDestName;
}

void CQmx2MakeCombinedArchiveInfo::FromJson(const nlohmann::json& j) {
    CQmx2OperationBase::FromJson(j);
    ReadKey(j, qmx2key::sSourceBiosInput, sSourceBiosInput);
    ReadKey(j, qmx2key::sSourceConfigurationDataInput, sSourceConfigurationDataInput);
    ReadKey(j, qmx2key::sDestPath, sDestPath);
    ReadKey(j, qmx2key::sDestName, sDestName);
}

void CQmx2MakeCombinedArchiveInfo::InitForStart(const char* szBiosInput, const char* szConfigInput,
                                                const char* szDestPath, const char* szDestName) {
    CQmx2OperationBase::InitForStart(szDestPath);
    sSourceBiosInput = OrEmpty(szBiosInput);
    sSourceConfigurationDataInput = OrEmpty(szConfigInput);
    sDestPath = OrEmpty(szDestPath);
    sDestName = OrEmpty(szDestName);
}
