#include "extension/qmx2_install_info.h"

#include <nlohmann/json.hpp>

#include "quillmark/qmx2.h"

void CQmx2InstallInfo::init() {
    clear();
}

void CQmx2InstallInfo::clear() {
    *this = CQmx2InstallInfo();
}

void CQmx2InstallInfo::ToJson(nlohmann::json& j) const {
    j[qmx2key::sAppRegRoot] = sAppRegRoot;
    j[qmx2key::sInstDir] = sInstDir;
    j[qmx2key::sLogFile] = sLogFile;
    j[qmx2key::sOemProfile] = sOemProfile;
    j[qmx2key::fEventLog] = fEventLog;
    j[qmx2key::fForceReboot] = fForceReboot;
}

void CQmx2InstallInfo::FromJson(const nlohmann::json& j) {
    ReadKey(j, qmx2key::sAppRegRoot, sAppRegRoot);
    ReadKey(j, qmx2key::sInstDir, sInstDir);
    ReadKey(j, qmx2key::sLogFile, sLogFile);
    ReadKey(j, qmx2key::sOemProfile, sOemProfile);
    ReadKey(j, qmx2key::fEventLog, fEventLog);
    ReadKey(j, qmx2key::fForceReboot, fForceReboot);
}
