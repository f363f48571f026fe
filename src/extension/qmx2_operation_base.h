// CQmx2OperationBase: the common part of every long-running module operation.
#pragma once

#include <cstdint>
#include <string>

#include "extension/qmx2_enums.h"
#include "extension/qmx2_fields.h"

class CQmx2OperationBase : public CQmx2Record<CQmx2OperationBase> {
public:
    CQmx2OperationBase() = default;

    static const CQmx2Fields<CQmx2OperationBase>& Fields();

    // Shows the password only as its length.
    void ToString(std::string& out) const override;
    void ToStringMini(std::string& out) const;

    // Starts a new call sequence on the given input.
    void InitForStart(const char* szSourcePath);
    void InitForStart(const std::string& sSourcePath) { InitForStart(sSourcePath.c_str()); }
    void CleanStatusInfoStrings();

    int32_t m_iSeq = 0;
    uint32_t ulProgress = 0;
    uint32_t ulDuration = 0;
    std::string m_sPartInfo;
    std::string m_sStatusInfo;
    std::string sFeedback;
    std::string m_sSourcePath;
    std::string m_sNextFile;
    std::string sPassword;
    CNextFileLocation NextFileLoc;
    bool m_fForceCapsuleOnDisk = false;
    bool m_fForceCapsulePost = false;
    bool m_fForceRuntime = false;
    bool fBreakOnMeUpdateError = false;
    bool m_fExtendedStatus = false;
};
