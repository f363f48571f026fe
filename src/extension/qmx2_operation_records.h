// The records of the long-running operations: BIOS update, configuration
// restore, backups and the combined archive.
#pragma once

#include <string>

#include "extension/qmx2_operation_base.h"

// In and out of QMX2_DoBiosUpdate: the areas to write. Fields carry the names
// of their keys.
class CQmx2UpdateInfo : public CQmx2Record<CQmx2UpdateInfo, CQmx2OperationBase> {
public:
    CQmx2UpdateInfo() = default;

    static const CQmx2Fields<CQmx2UpdateInfo>& Fields();

    bool BiosCodeArea = false;
    bool SystemDataArea = false;
    bool SetupSettingsArea = false;
    bool LogoArea = false;
    bool PasswordArea = false;
    bool BootOrderVariablesArea = false;
    // Never set by the kernel; carries back what the module sent.
    bool ExplicitAreaMode = false;
};

// In and out of QMX2_DoConfigurationRestore; the keys of the update record.
class CQmx2ConfigRestoreInfo : public CQmx2UpdateInfo {
public:
    CQmx2ConfigRestoreInfo() = default;
};

// A backup into sDestPath/sDestName.
class CQmx2BackInfo : public CQmx2Record<CQmx2BackInfo, CQmx2OperationBase> {
public:
    CQmx2BackInfo() = default;

    static const CQmx2Fields<CQmx2BackInfo>& Fields();

    // The path is both the source and the destination directory; a null
    // name gives "".
    void InitForStart(const char* szPath, const char* szName = nullptr);

    std::string sDestPath;
    std::string sDestName;
};

// In and out of QMX2_DoConfigurationBackup: the backup keys plus one flag.
class CQmx2ConfigBackInfo : public CQmx2Record<CQmx2ConfigBackInfo, CQmx2BackInfo> {
public:
    CQmx2ConfigBackInfo() = default;

    static const CQmx2Fields<CQmx2ConfigBackInfo>& Fields();

    void InitForStart(const char* szPath, const char* szName = nullptr,
                      bool fDebugCodeArea = false);

    bool DebugCodeArea = false;
};

// In and out of QMX2_DoMakeCombinedArchive.
class CQmx2MakeCombinedArchiveInfo
    : public CQmx2Record<CQmx2MakeCombinedArchiveInfo, CQmx2OperationBase> {
public:
    CQmx2MakeCombinedArchiveInfo() = default;

    static const CQmx2Fields<CQmx2MakeCombinedArchiveInfo>& Fields();

    // Null pointers give "".
    void InitForStart(const char* szBiosInput, const char* szConfigInput,
                      const char* szDestPath, const char* szDestName = nullptr);

    std::string sSourceBiosInput;
    std::string sSourceConfigurationDataInput;
    std::string sDestPath;
    std::string sDestName;
};
