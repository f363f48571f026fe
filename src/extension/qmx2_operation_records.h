// The records of the long-running operations: BIOS update, configuration
// restore, backups and the combined archive.
#pragma once

#include <string>

#include "extension/qmx2_operation_base.h"

// In and out of QMX2_DoBiosUpdate: the areas to write. Fields carry the names
// of their keys.
class CQmx2UpdateInfo : public CQmx2OperationBase {
public:
    CQmx2UpdateInfo() = default;

    void clear() override;
    void ToJson(nlohmann::json& j) const override;
    void FromJson(const nlohmann::json& j) override;

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
class CQmx2BackInfo : public CQmx2OperationBase {
public:
    CQmx2BackInfo() = default;

    void clear() override;
    void ToJson(nlohmann::json& j) const override;
    void FromJson(const nlohmann::json& j) override;

    // The path is both the source and the destination directory; a null
    // name gives "".
    void InitForStart(const char* szPath, const char* szName = nullptr);

    std::string sDestPath;
    std::string sDestName;
};

// In and out of QMX2_DoConfigurationBackup: the backup keys plus one flag.
class CQmx2ConfigBackInfo : public CQmx2BackInfo {
public:
    CQmx2ConfigBackInfo() = default;

    void clear() override;
    void ToJson(nlohmann::json& j) const override;
    void FromJson(const nlohmann::json& j) override;

    void InitForStart(const char* szPath, const char* szName = nullptr,
                      bool fDebugCodeArea = false);

    bool DebugCodeArea = false;
};

// In and out of QMX2_DoMakeCombinedArchive.
class CQmx2MakeCombinedArchiveInfo : public CQmx2OperationBase {
public:
    CQmx2MakeCombinedArchiveInfo() = default;

    void clear() override;
    void ToJson(nlohmann::json& j) const override;
    void FromJson(const nlohmann::json& j) override;

    // Null pointers give "".
    void InitForStart(const char* szBiosInput, const char* szConfigInput,
                      const char* szDestPath, const char* szDestName = nullptr);

    std::string sSourceBiosInput;
    std::string sSourceConfigurationDataInput;
    std::string sDestPath;
    std::string sDestName;
};
