// The module's call sequences: one loop, and what the BIOS update, the
// configuration restore and the configuration backup do in their turns and ends.
#include "extension/qmx2_status.h"
#include "kernel/module_run.h"

#include "kernel/text_tables.h"
#include "quillmark/qmx2.h"
#include "support/opus_trace.h"

using NS_QMKRNL2::StringResLoad;

E_SEQ_END SeqEnd(int32_t iSeq) {
    if (iSeq == QMX2_SEQ_DONE)
        return SEQ_DONE;
    if (iSeq >= QMX2_SEQ_DONE_COLD_BOOT_FIRST && iSeq <= QMX2_SEQ_DONE_COLD_BOOT_LAST)
        return SEQ_DONE_COLD_BOOT;
    if (iSeq >= QMX2_SEQ_DONE_PENDING_FIRST && iSeq <= QMX2_SEQ_DONE_PENDING_LAST)
        return SEQ_DONE_PENDING;
    if (iSeq == QMX2_SEQ_CANCELLED)
        return SEQ_CANCELLED;
    return SEQ_GOES_ON;
}

uint32_t CKrnl2App::ModuleRun(CModuleRun& run) {
    uint32_t ulStatus = run.Call(true);
    run.Started(ulStatus);
    while (!Qmx2Failed(ulStatus)) {
        run.Turn(ulStatus);
        if (run.End(SeqEnd(run.Record().m_iSeq)))
            break;
        ulStatus = run.Call(false);
        run.Called(ulStatus);
    }
    return ulStatus;
}

uint32_t CKrnl2App::ModuleRunWithOptions(CModuleRun& run) {
    CString csOptions;
    QM_TRACE_ENTER(3, "m_JobCmdInfo.m_Options={%s}", m_JobCmdInfo.m_Options.ToString(csOptions));
    const uint32_t ulStatus = ModuleRun(run);
    QM_TRACE_LEAVE(3, "dwRet=%u", ulStatus);
    return ulStatus;
}

void CKrnl2App::CModuleRun::FailureAndPasswordAfterFirstCall(uint32_t ulStatus) {
    if (Qmx2Failed(ulStatus)) {
        m_App.StateInfoSendToClient(ulStatus);
        if (!m_Rec.m_sStatusInfo.empty())
            m_App.ReportAnEvent(LOG_ERROR, 2012, m_Rec.m_sStatusInfo.c_str());
    }
    // The password travels from the second call on.
    if (m_App.m_JobCmdInfo.OptionExists(ePwd))
        m_Rec.sPassword = m_App.m_JobCmdInfo.m_csPassword.str();
}

bool CKrnl2App::CModuleRun::NextFileTake() {
    return m_App.NextFileAbsorb(m_Rec.m_sNextFile.c_str(), m_Rec.NextFileLoc, m_App.m_Qmx.m_csTransferDir);
}

void CKrnl2App::CModuleRun::ShutDownForEnd(E_SEQ_END eEnd) {
    switch (eEnd) {
    case SEQ_DONE_COLD_BOOT: m_App.m_eShutDown = SD_ACTIVATE_CHANGES_COLD_BOOT; break;
    case SEQ_DONE_PENDING: m_App.m_eShutDown = SD_OP_PENDING; break;
    case SEQ_CANCELLED: m_App.m_eShutDown = SD_NO; break;
    default: break;
    }
}

// ---- BIOS update ----------------------------------------------------------

class CKrnl2App::CBiosUpdateRun : public CModuleRun {
public:
    explicit CBiosUpdateRun(CKrnl2App& app) : CModuleRun(app, app.m_Qmx.m_UpdateInfo) {}

    uint32_t Call(bool fStart) override { return m_App.m_Qmx.DoBiosUpdate(fStart); }
    void Turn(uint32_t ulStatus) override {
        QM_TRACE_INTERNAL(3, "", "state = %d", m_Rec.m_iSeq);
        m_App.StateInfoSendToClient(ulStatus);
        if (m_Rec.m_sNextFile.empty())
            return;
        if (NextFileTake())
            m_Rec.m_sSourcePath = m_App.m_Qmx.m_csTransferDir.str();
        else
            QM_TRACE_INTERNAL(1, "", "Could not extract file '%s'", m_Rec.m_sNextFile.c_str());
    }
    bool End(E_SEQ_END eEnd) override {
        if (eEnd == SEQ_GOES_ON)
            return false;
        if (eEnd == SEQ_DONE) {
            if (!m_App.PowerStatesSet(m_App.m_Qmx.m_BupInfo.PowerStatesAfterBiosUpdate, 1))
                m_App.m_eShutDown = SD_ACTIVATE_CHANGES;
            CString csFile;
            csFile.Format("%s/%s", m_App.m_csWrkDir.c_str(), m_App.m_CurArc.m_csName.c_str());
            m_App.ReportAnEvent(LOG_INFO, 2028, csFile);
            return true;
        }
        if (eEnd != SEQ_CANCELLED)
            QM_TRACE_INTERNAL(2, "", "Preserving restart info is no longer supported");
        ShutDownForEnd(eEnd);
        return true;
    }
};

uint32_t CKrnl2App::DoTheBiosUpdateMainLoop() {
    // The record keeps the module's last reply between jobs; only the request is set.
    CQmx2UpdateInfo& rec = m_Qmx.m_UpdateInfo;
    RequestFromJob(rec);
    rec.fBreakOnMeUpdateError = m_JobCmdInfo.OptionExists(eBreakOnMeUpdateError);
    rec.BiosCodeArea = m_JobCmdInfo.OptionExists(eBiosCodeArea);
    CBiosUpdateRun run(*this);
    return ModuleRunWithOptions(run);
}

// ---- Configuration restore ------------------------------------------------

class CKrnl2App::CConfigurationRestoreRun : public CModuleRun {
public:
    explicit CConfigurationRestoreRun(CKrnl2App& app) : CModuleRun(app, app.m_Qmx.m_ConfigRestoreInfo) {}

    uint32_t Call(bool fStart) override { return m_App.m_Qmx.DoConfigurationRestore(fStart); }
    void Turn(uint32_t ulStatus) override {
        QM_TRACE_INTERNAL(3, "", "iSeq = %d", m_Rec.m_iSeq);
        m_App.StateInfoSendToClient(ulStatus);
        if (!m_Rec.m_sNextFile.empty() && !NextFileTake())
            QM_TRACE_INTERNAL(2, "Could not extract file", "name='%s'", m_Rec.m_sNextFile.c_str());
    }
    // Only done and cancelled end a restore; the module says in its feedback what the machine needs.
    bool End(E_SEQ_END eEnd) override {
        if (eEnd == SEQ_DONE) {
            m_App.ClientMsgWait(m_App.m_nClientWaitTimeout, 10, CDEdureMsg::eInfo, StringResLoad(5522));
            if (m_Rec.sFeedback.find("SD_OP_PENDING") != std::string::npos)
                m_App.m_eShutDown = SD_OP_PENDING;
            else if (m_Rec.sFeedback.find("SD_ACTIVATE_CHANGES_COLD_BOOT") != std::string::npos)
                m_App.m_eShutDown = SD_ACTIVATE_CHANGES_COLD_BOOT;
            QM_TRACE_INTERNAL(3, "", "iSeq=%d, m_eShutDown=%s", m_Rec.m_iSeq, EShutDonw2Str(m_App.m_eShutDown));
            return true;
        }
        if (eEnd == SEQ_CANCELLED) {
            QM_TRACE_INTERNAL(1, "OEM module cancled operation", "iSeq='%d'", m_Rec.m_iSeq);
            ShutDownForEnd(eEnd);
            return true;
        }
        return false;
    }
    void Called(uint32_t ulStatus) override {
        std::string sText;
        m_Rec.ToStringMini(sText);
        QM_TRACE_INTERNAL(4, "Result of m_Qmx.DoConfigurationRestore", "%s", sText.c_str());
        if (!Qmx2Failed(ulStatus)) {
            m_App.StateInfoSendToClient(ulStatus);
            return;
        }
        if (!m_Rec.m_sStatusInfo.empty())
            m_App.ReportAnEvent(LOG_ERROR, 2012, m_Rec.m_sStatusInfo.c_str());
        QM_TRACE_INTERNAL(1, "Call to m_Qmx.DoConfigurationRestore() returned ERROR", "dwRet=0x%X", ulStatus);
    }
};

uint32_t CKrnl2App::DoTheConfigurationRestoreMainLoop() {
    CQmx2ConfigRestoreInfo& rec = m_Qmx.m_ConfigRestoreInfo;
    rec.clear();
    RequestFromJob(rec);
    rec.m_sSourcePath = m_Qmx.m_csTransferDir.str();
    CConfigurationRestoreRun run(*this);
    return ModuleRunWithOptions(run);
}

// ---- Configuration backup -------------------------------------------------

class CKrnl2App::CConfigurationBackupRun : public CModuleRun {
public:
    explicit CConfigurationBackupRun(CKrnl2App& app)
        : CModuleRun(app, app.m_Qmx.m_ConfigBackInfo), m_Back(app.m_Qmx.m_ConfigBackInfo) {}

    uint32_t Call(bool fStart) override {
        return m_App.m_Qmx.DoConfigurationBackup(fStart, fStart && m_App.m_JobCmdInfo.OptionExists(eDebugCodeArea));
    }
    // The request goes with the calls after the first.
    void Started(uint32_t ulStatus) override {
        if (Qmx2Failed(ulStatus))
            QM_TRACE_INTERNAL(1, "First call to m_Qmx.DoConfigurationBackup() failed",
                              "ret=0x%X\nSeq=%d\nPart='%s'\nStatus='%s'\nFeedback='%s'", ulStatus, m_Rec.m_iSeq,
                              m_Rec.m_sPartInfo.c_str(), m_Rec.m_sStatusInfo.c_str(), m_Rec.sFeedback.c_str());
        else
            m_App.StateInfoSendToClient(ulStatus);
        m_Back.sDestPath = m_App.m_Qmx.m_csTransferDir.str();
        m_App.OperationRequestFromJob(m_Back);
        m_Back.DebugCodeArea = m_App.m_JobCmdInfo.OptionExists(eDebugCodeArea);
        m_Back.sDestName = m_App.m_CurArc.m_csName.str();
    }
    // The module may name the archive itself.
    void Turn(uint32_t) override {
        QM_TRACE_INTERNAL(3, "", "iSeq = %d", m_Rec.m_iSeq);
        CBupAssessmentEx& arc = m_App.m_CurArc;
        if (arc.m_csName.CompareNoCase(m_Back.sDestName.c_str()) == 0)
            return;
        QM_TRACE_INTERNAL(2, "OEM module has changed archive name", "old name='%s', new name='%s'",
                          arc.m_csName.c_str(), m_Back.sDestName.c_str());
        arc.m_csName = m_Back.sDestName.c_str();
        m_App.m_csCurArcPath.Format("%s/%s", m_App.m_csWrkDir.c_str(), arc.m_csName.c_str());
        m_App.ClientMsgWait(m_App.m_nClientWaitTimeout, 5, CDEdureMsg::eFileName, arc.m_csName.c_str());
    }
    bool End(E_SEQ_END eEnd) override {
        switch (eEnd) {
        case SEQ_GOES_ON: return false;
        case SEQ_DONE: Pack(); return true;
        case SEQ_DONE_COLD_BOOT: QM_TRACE_INTERNAL(1, "", "Restart no longer supported"); break;
        case SEQ_DONE_PENDING: QM_TRACE_INTERNAL(2, "", "Preserving restart info is no longer supported"); break;
        case SEQ_CANCELLED: m_App.ReportAnEvent(LOG_ERROR, 2060, ""); break;
        }
        ShutDownForEnd(eEnd);
        return true;
    }
    void Called(uint32_t ulStatus) override { m_App.StateInfoSendToClient(ulStatus); }

private:
    void Pack() {
        const CString& csDir = m_App.m_Qmx.m_csTransferDir;
        if (m_App.DoTheNvuxAddFiles(csDir)) {
            m_App.ReportAnEvent(LOG_INFO, 2061, m_App.m_CurArc.m_csName);
        } else {
            QM_TRACE_INTERNAL(1, "", "DoTheNvuxAddFiles(%s) failed", csDir.c_str());
            m_fPackFailed = true;
        }
    }

public:
    bool m_fPackFailed = false;

private:
    CQmx2ConfigBackInfo& m_Back;
};

uint32_t CKrnl2App::DoTheConfigurationBackupMainLoop() {
    m_Qmx.m_ConfigBackInfo.clear();
    CConfigurationBackupRun run(*this);
    const uint32_t ulStatus = ModuleRun(run);
    StateInfoSendToClient(ulStatus);
    // The module did its part, but without the archive the backup failed.
    return run.m_fPackFailed ? QMX2_E_ARCHIVE_NOT_WRITTEN : ulStatus;
}
