#include "extension/qmx2_operation_base.h"

#include "quillmark/qmx2.h"
#include "support/msc.h"
#include "support/opus_trace.h"

const CQmx2Fields<CQmx2OperationBase>& CQmx2OperationBase::Fields() {
    using R = CQmx2OperationBase;
    static const CQmx2Fields<R> kFields = {
        {qmx2key::iSeq, &R::m_iSeq},
        {qmx2key::ulProgress, &R::ulProgress},
        {qmx2key::ulDuration, &R::ulDuration},
        {qmx2key::sPartInfo, &R::m_sPartInfo},
        {qmx2key::sStatusInfo, &R::m_sStatusInfo},
        {qmx2key::sFeedback, &R::sFeedback},
        {qmx2key::sSourcePath, &R::m_sSourcePath},
        {qmx2key::sNextFile, &R::m_sNextFile},
        {qmx2key::sPassword, &R::sPassword},
        {qmx2key::fForceCapsuleOnDisk, &R::m_fForceCapsuleOnDisk},
        {qmx2key::fForceCapsulePost, &R::m_fForceCapsulePost},
        {qmx2key::fForceRuntime, &R::m_fForceRuntime},
        {qmx2key::fBreakOnMeUpdateError, &R::fBreakOnMeUpdateError},
        {qmx2key::fExtendedStatus, &R::m_fExtendedStatus},
        // read after the flags, as modules have always expected
        {qmx2key::NextFileLoc, &R::NextFileLoc},
    };
    return kFields;
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
