// Who may ask for what. The requesting user is the owner of the response FIFO
// the kernel opened, never anything the client writes; jobs that change the
// machine or read its secrets are for root and the profile's allowed group.
#include "kernel/krnl2_app.h"
#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/profile.h"

bool CKrnl2App::JobNeedsRights() const {
    // A backup carries the BIOS password area, so it counts as reading a secret.
    for (E_OPTIONS e : {eUpdate, eNvramUpdate, eArchiveConfiguration, eMake})
        if (m_JobCmdInfo.OptionExists(e))
            return true;
    return false;
}

CString CKrnl2App::JobRefusalFor(unsigned uUid) const {
    if (uUid == 0 || !JobNeedsRights())
        return "";
    CString csGroup;
    if (m_pProfile)
        m_pProfile->StringGet("Security", "AllowedGroup", "", csGroup);
    csGroup.Trim();
    if (MscUserInGroup(uUid, csGroup))
        return "";
    CString csText;
    if (csGroup.IsEmpty())
        csText = "This job needs root; a group may be allowed with AllowedGroup= in the profile's [Security] section";
    else
        csText.Format("This job needs root or membership of the group '%s'", csGroup.c_str());
    return csText;
}

bool CKrnl2App::SessionRefused(bool fTrusted, const std::string& strUntrusted, unsigned uUid) {
    CString csText = fTrusted ? JobRefusalFor(uUid) : CString(("Session refused: " + strUntrusted).c_str());
    if (csText.IsEmpty())
        return false;
    CString csEvent;
    csEvent.Format("Job refused for uid %u: %s", uUid, csText.c_str());
    QM_TRACE_INTERNAL(1, "refused", "%s", csEvent.c_str());
    ReportAnEvent(LOG_ERROR, 2012, csEvent);
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eError, csText.c_str());
    return true;
}

void CKrnl2App::RequestIgnored(const std::string& strWhy) {
    CString csEvent;
    csEvent.Format("Request naming process %d ignored: %s", static_cast<int>(m_If.m_jobdata.m_pidClient),
                   strWhy.c_str());
    QM_TRACE_INTERNAL(1, "ignored", "%s", csEvent.c_str());
    ReportAnEvent(LOG_WARNING, 2012, csEvent);
}
