#include "extension/qmx2_operation_base.h"

#include <nlohmann/json.hpp>

#include "quillmark/qmx2.h"
#include "support/msc.h"
#include "support/opus_trace.h"

void CQmx2OperationBase::init() {
    clear();
}

void CQmx2OperationBase::clear() {
    m_iSeq = 0;
    ulProgress = 0;
    ulDuration = 0;
    m_sPartInfo.clear();
    m_sStatusInfo.clear();
    sFeedback.clear();
    m_sSourcePath.clear();
    m_sNextFile.clear();
    sPassword.clear();
    NextFileLoc.clear();
    m_fForceCapsuleOnDisk = false;
    m_fForceCapsulePost = false;
    m_fForceRuntime = false;
    fBreakOnMeUpdateError = false;
    m_fExtendedStatus = false;
}

void CQmx2OperationBase::ToJson(nlohmann::json& j) const {
    j[qmx2key::iSeq] = m_iSeq;
    j[qmx2key::ulProgress] = ulProgress;
    j[qmx2key::ulDuration] = ulDuration;
    j[qmx2key::sPartInfo] = m_sPartInfo;
    j[qmx2key::sStatusInfo] = m_sStatusInfo;
    j[qmx2key::sFeedback] = sFeedback;
    j[qmx2key::sSourcePath] = m_sSourcePath;
    j[qmx2key::sNextFile] = m_sNextFile;
    j[qmx2key::sPassword] = sPassword;
    j[qmx2key::NextFileLoc] = NextFileLoc.ToString();
    j[qmx2key::fForceCapsuleOnDisk] = m_fForceCapsuleOnDisk;
    j[qmx2key::fForceCapsulePost] = m_fForceCapsulePost;
    j[qmx2key::fForceRuntime] = m_fForceRuntime;
    j[qmx2key::fBreakOnMeUpdateError] = fBreakOnMeUpdateError;
    j[qmx2key::fExtendedStatus] = m_fExtendedStatus;
}

void CQmx2OperationBase::FromJson(const nlohmann::json& j) {
    ReadKey(j, qmx2key::iSeq, m_iSeq);
    ReadKey(j, qmx2key::ulProgress, ulProgress);
    ReadKey(j, qmx2key::ulDuration, ulDuration);
    ReadKey(j, qmx2key::sPartInfo, m_sPartInfo);
    ReadKey(j, qmx2key::sStatusInfo, m_sStatusInfo);
    ReadKey(j, qmx2key::sFeedback, sFeedback);
    ReadKey(j, qmx2key::sSourcePath, m_sSourcePath);
    ReadKey(j, qmx2key::sNextFile, m_sNextFile);
    ReadKey(j, qmx2key::sPassword, sPassword);
    ReadKey(j, qmx2key::fForceCapsuleOnDisk, m_fForceCapsuleOnDisk);
    ReadKey(j, qmx2key::fForceCapsulePost, m_fForceCapsulePost);
    ReadKey(j, qmx2key::fForceRuntime, m_fForceRuntime);
    ReadKey(j, qmx2key::fBreakOnMeUpdateError, fBreakOnMeUpdateError);
    ReadKey(j, qmx2key::fExtendedStatus, m_fExtendedStatus);
    // read after the flags, as modules have always expected
    ReadEnumKey(j, qmx2key::NextFileLoc, NextFileLoc);
}

void CQmx2OperationBase::ToString(std::string& out) const {
    out = MscStdStringFormat(
        "iSeq=%d\nulProgress=%lu\nsPartInfo='%s'\nsStatusInfo='%s'\nsFeedback='%s'\n"
        "m_sSourcePath='%s'\nm_sNextFile='%s'\nNextFileLoc=%s\nLen(sPassword)=%lu\n"
        "m_fForceCapsuleOnDisk=%s\nm_fForceCapsulePost=%s\nm_fForceRuntime=%s\nm_fExtendedStatus=%s",
        m_iSeq, static_cast<unsigned long>(ulProgress), m_sPartInfo.c_str(),
        m_sStatusInfo.c_str(), sFeedback.c_str(), m_sSourcePath.c_str(), m_sNextFile.c_str(),
        NextFileLoc.ToString().c_str(), static_cast<unsigned long>(sPassword.size()),
        QmBool2Str(m_fForceCapsuleOnDisk), QmBool2Str(m_fForceCapsulePost),
        QmBool2Str(m_fForceRuntime), QmBool2Str(m_fExtendedStatus));
}

void CQmx2OperationBase::ToStringMini(std::string& out) const {
    out = MscStdStringFormat(
        "m_iSeq=%d\nsNextFile='%s'\nsPartInfo='%s'\nsStatusInfo='%s'\nsFeedback='%s'\n"
        "Len(sPassword)=%lu",
        m_iSeq, m_sNextFile.c_str(), m_sPartInfo.c_str(), m_sStatusInfo.c_str(),
        sFeedback.c_str(), static_cast<unsigned long>(sPassword.size()));
}

void CQmx2OperationBase::InitForStart(const char* szSourcePath) {
    m_iSeq = 0;
    ulProgress = 0;
    m_sSourcePath = szSourcePath ? szSourcePath : "";
    m_sNextFile.clear();
    NextFileLoc.clear();
    CleanStatusInfoStrings();
}

void CQmx2OperationBase::CleanStatusInfoStrings() {
    m_sPartInfo.clear();
    m_sStatusInfo.clear();
    sFeedback.clear();
}
