#include "cmdline/qm_cmd_line.h"

#include "crypt/xx_crypt.h"
#include "support/opus_trace.h"

void CQmCmdLine::DecodePassword() {
    QM_TRACE_ENTER(6, "fPwc=%s, len(pwd)=%lu", QmBool2Str(OptionExists(ePwc)),
                   static_cast<unsigned long>(m_csPassword.GetLength()));
    CXXCrypt crypt(31);
    if (!m_csPassword.IsEmpty())
        m_csPassword = crypt.Decrypt(m_csPassword, CXXCrypt::eCryptPassword);
    // Even an empty or undecodable value now counts as the plain password.
    m_Options.erase(ePwc);
    m_Options.insert(ePwd);
    QM_TRACE_LEAVE(6, "fPwd=%s, len(pwd)=%lu", QmBool2Str(OptionExists(ePwd)),
                   static_cast<unsigned long>(m_csPassword.GetLength()));
}
