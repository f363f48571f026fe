// CQmx2InstallInfo: the request of QMX2_Install.
#pragma once

#include <string>

#include "extension/qmx2_fields.h"

// Fields carry the names of their keys.
class CQmx2InstallInfo : public CQmx2Record<CQmx2InstallInfo> {
public:
    CQmx2InstallInfo() = default;

    static const CQmx2Fields<CQmx2InstallInfo>& Fields();

    std::string sAppRegRoot;
    std::string sInstDir;
    std::string sLogFile;
    std::string sOemProfile;
    bool fEventLog = false;
    bool fForceReboot = false;
};
