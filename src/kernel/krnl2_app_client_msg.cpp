// Messages from the running job to the front-end of the session.
#include <cstdarg>

#include "ipc/bf_msg_base.h"
#include "ipc/check_file_result.h"
#include "kernel/krnl2_app.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

bool CKrnl2App::ClientMsg(uint32_t dwLevel, E_DEDURE_MSG eType, ...) {
    if (dwLevel <= static_cast<uint32_t>(m_JobCmdInfo.m_ClientMsgLevel))
        m_If.CountMessageSent();
    va_list args;
    va_start(args, eType);
    const bool fRet = ClientMsgBase(dwLevel, eType, args);
    va_end(args);
    return fRet;
}

bool CKrnl2App::ClientMsgWait(uint32_t dwTimeout, uint32_t dwLevel, E_DEDURE_MSG eType, ...) {
    // The history keeps the first error whether or not the front-end asked to see it.
    if (eType == CDEdureMsg::eError && m_strJobError.empty()) {
        va_list args;
        va_start(args, eType);
        const char* pszText = va_arg(args, const char*);
        va_end(args);
        m_strJobError = pszText ? pszText : "";
    }
    const uint32_t dwThreshold = static_cast<uint32_t>(m_JobCmdInfo.m_ClientMsgLevel);
    QM_TRACE_INTERNAL(5, "", "dwTimeout=%d, dwLevel=%d, type=%s", static_cast<int>(dwTimeout),
                      static_cast<int>(dwLevel), CDEdureMsg::ToString(eType));
    QM_TRACE_INTERNAL(5, "", "ClientMsgLevel < dwLevel: %d < %d", static_cast<int>(dwThreshold),
                      static_cast<int>(dwLevel));
    if (dwLevel > dwThreshold) {
        QM_TRACE_INTERNAL(4, "", "supressing message %s", CDEdureMsg::ToString(eType));
        return true;
    }
    uint32_t ulStatus = m_If.CountMessageSent();
    if (ulStatus != ERROR_SUCCESS) {
        QM_TRACE_INTERNAL(1, "", "on ResponseSent %d, '%s'", static_cast<int>(ulStatus), MscLastErr2Str(ulStatus));
        return false;
    }
    va_list args;
    va_start(args, eType);
    const bool fSent = ClientMsgBase(dwLevel, eType, args);
    va_end(args);
    if (!fSent) {
        QM_TRACE_INTERNAL(1, "", "error on ClientMsgBase");
        return false;
    }
    ulStatus = m_If.ResponseAckWait(dwTimeout);
    if (ulStatus != ERROR_SUCCESS) {
        QM_TRACE_INTERNAL(1, "", "ResponseAckWait(%d) returned error %d, '%s'", static_cast<int>(dwTimeout),
                          static_cast<int>(ulStatus), MscLastErr2Str(ulStatus));
        return false;
    }
    return true;
}

bool CKrnl2App::ClientMsgBase(uint32_t dwLevel, E_DEDURE_MSG eType, va_list args) {
    const char* pszType = CDEdureMsg::ToString(eType);
    if (dwLevel > static_cast<uint32_t>(m_JobCmdInfo.m_ClientMsgLevel)) {
        QM_TRACE_INTERNAL(4, "", "supressing message %s", pszType);
        return true;
    }
    CSessionData& msg = m_If.m_sessiondata;
    const char* pszFifo = m_If.ResponseFifoName();
    msg.TypeSet(eType);
    msg.ResetContent();

    const CDEdureMsg::E_PAYLOAD ePayload = CDEdureMsg::PayloadOf(eType);
    bool fBuilt = true;
    if (ePayload == CDEdureMsg::ePayloadNone) {
        QM_TRACE_INTERNAL(4, "", "sending message %s through '%s'", pszType, pszFifo);
    } else if (ePayload == CDEdureMsg::ePayloadText) {
        const char* psz = va_arg(args, const char*);
        if (!psz)
            psz = "invalid <null> parameter";
        QM_TRACE_INTERNAL(4, "", "sending message %s through '%s', parameter='%s'", pszType, pszFifo, psz);
        fBuilt = msg.PushBack(psz);
    } else if (ePayload == CDEdureMsg::ePayloadInt) {
        const int n = va_arg(args, int);
        QM_TRACE_INTERNAL(4, "", "sending message %s through '%s', parameter=%d", pszType, pszFifo, n);
        fBuilt = msg.PushBack(n);
    } else if (ePayload == CDEdureMsg::ePayloadPasswordRequ) {
        QM_TRACE_INTERNAL(4, "", "sending message %s through '%s'", pszType, pszFifo);
        for (int i = 0; i < 3 && fBuilt; ++i) {
            const char* psz = va_arg(args, const char*);
            fBuilt = msg.PushBack(psz ? psz : "invalid <null> parameter");
        }
        for (int i = 0; i < 2 && fBuilt; ++i)
            fBuilt = msg.PushBack(va_arg(args, int));
        if (!fBuilt)
            QM_TRACE_INTERNAL(1, "", "error on m_If.m_sessiondata.ToFifo (ePasswordRequ)");
    } else if (ePayload == CDEdureMsg::ePayloadCheckFileResult || ePayload == CDEdureMsg::ePayloadCheckFileResultEx) {
        const bool fEx = ePayload == CDEdureMsg::ePayloadCheckFileResultEx;
        const CBupAssessmentEx* pEx = fEx ? va_arg(args, const CBupAssessmentEx*) : nullptr;
        const CBupAssessment* pA = fEx ? pEx : va_arg(args, const CBupAssessment*);
        if (!pA) {
            QM_TRACE_INTERNAL(1, "", "Invalid <null> parameter for %s", pszType);
            return false;
        }
        QM_TRACE_INTERNAL(4, "", "sending message %s through '%s', csName='%s', csBiosVer='%s'", pszType, pszFifo,
                          pA->Name().c_str(), pA->BiosVer().c_str());
        fBuilt = fEx ? CheckFileResultExPush(msg, *pEx) : CheckFileResultPush(msg, *pA);
    } else if (ePayload == CDEdureMsg::ePayloadObject) {
        const CBfMsgBase* pObj = va_arg(args, const CBfMsgBase*);
        if (!pObj) {
            QM_TRACE_INTERNAL(1, "", "Invalid <null> parameter for eDetailInfo, eMicroCodeInfo, eListBupInfo, "
                                     "eGetGenericModuleInfo");
            return false;
        }
        QM_TRACE_INTERNAL(4, "", "sending message %s through '%s'", pszType, pszFifo);
        fBuilt = pObj->ToParamQueue(msg);
    } else {
        QM_TRACE_INTERNAL(1, "Unhandled message type", "ID='%d'", static_cast<int>(eType));
        return false;
    }

    const uint32_t ulStatus = fBuilt ? m_If.SessionDataSend() : ERROR_GEN_FAILURE;
    if (ulStatus == ERROR_SUCCESS)
        return true;
    QM_TRACE_INTERNAL(1, "m_If.m_sessiondata.ToFifo failed", "error='%s'", MscLastErr2Str(ulStatus));
    if (ePayload == CDEdureMsg::ePayloadText)
        QM_TRACE_INTERNAL(1, "", "error on m_If.m_sessiondata.ToFifo #1 %d, '%s'", static_cast<int>(ulStatus),
                          MscLastErr2Str(ulStatus));
    else if (ePayload == CDEdureMsg::ePayloadInt)
        QM_TRACE_INTERNAL(1, "", "error on m_If.m_sessiondata.ToFifo (eProgress, eShutDown)");
    return false;
}

void CKrnl2App::StateInfoSendToClient(uint32_t dwQmxRet) {
    CQmx2OperationBase* pAction = m_Qmx.m_pActionInfo;
    if (!pAction) {
        QM_TRACE_INTERNAL(1, "", "m_Qmx.m_pActionInfo not set!");
        return;
    }
    if (m_Qmx.m_OemInfo.fProgressInfo) {
        QM_TRACE_INTERNAL(4, "", "sending progressinfo");
        ClientMsgWait(m_nClientWaitTimeout, 10, CDEdureMsg::eProgress, static_cast<int>(pAction->ulProgress));
    } else {
        QM_TRACE_INTERNAL(4, "", "no progressinfo to send");
    }

    E_DEDURE_MSG eInfoType = CDEdureMsg::eInfo;
    uint32_t nLevel = 10;
    switch (Qmx2Severity(dwQmxRet)) {
    case 2: eInfoType = CDEdureMsg::eWarning; nLevel = 5; break;
    case 3: eInfoType = CDEdureMsg::eError; nLevel = 5; break;
    default: break;
    }
    QM_TRACE_INTERNAL(4, "", "eInfoType: %d, nLevel: %d", static_cast<int>(eInfoType), static_cast<int>(nLevel));

    if (!pAction->m_sStatusInfo.empty()) {
        if (eInfoType == CDEdureMsg::eWarning)
            ReportAnEvent(LOG_WARNING, 2011, pAction->m_sStatusInfo.c_str());
        else if (eInfoType == CDEdureMsg::eError)
            ReportAnEvent(LOG_ERROR, 2012, pAction->m_sStatusInfo.c_str());
        ClientMsgWait(m_nClientWaitTimeout, nLevel, eInfoType, pAction->m_sStatusInfo.c_str());
        pAction->m_sStatusInfo.clear();
    } else {
        QM_TRACE_INTERNAL(4, "", "no logfile available to log to");
    }
    if (!pAction->m_sPartInfo.empty()) {
        ClientMsgWait(m_nClientWaitTimeout, 10, CDEdureMsg::eActionPart, pAction->m_sPartInfo.c_str());
        pAction->m_sPartInfo.clear();
    } else {
        QM_TRACE_INTERNAL(4, "", "no partinfo");
    }
}
