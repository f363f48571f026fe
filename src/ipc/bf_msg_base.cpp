#include "ipc/bf_msg_base.h"

#include "ipc/param_queue.h"

CString CBfMsgBase::ToInfoString() const {
    CString cs;
    cs.Format("Token=%s", m_csToken.c_str());
    return cs;
}

bool CBfMsgBase::ToParamQueue(CParamQueue& queue) const { return queue.PushBack(m_csToken.c_str()); }

bool CBfMsgBase::FromParamQueue(CParamQueue& queue) { return queue.PopFront(m_csToken); }
