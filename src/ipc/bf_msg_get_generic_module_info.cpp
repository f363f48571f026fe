#include "ipc/bf_msg_get_generic_module_info.h"

#include <cstdlib>

#include "ipc/param_queue.h"

CString CGetBupInfoAndGetGenericModuleInfoDataBaseClass::ToString() const {
    CString cs;
    cs.Format("m_csFirstParameter='%s'\nVALUES:\n", m_csFirstParameter.c_str());
    CString csItem;
    for (const auto& item : m_Values) {
        csItem.Format("[%s]='%s'\n", item.first.c_str(), item.second.c_str());
        cs += csItem;
    }
    return cs;
}

bool CBfMsgGetGenericModuleInfo::ToParamQueue(CParamQueue& queue) const {
    CString csCount;
    csCount.Format("%lu", static_cast<unsigned long>(m_Info.m_Values.size()));
    if (!CBfMsgBase::ToParamQueue(queue) || !queue.PushBack(m_Info.m_csFirstParameter.c_str()) ||
        !queue.PushBack(csCount.c_str()))
        return false;
    for (const auto& item : m_Info.m_Values)
        if (!queue.PushBack(item.first.c_str()) || !queue.PushBack(item.second.c_str()))
            return false;
    return true;
}

bool CBfMsgGetGenericModuleInfo::FromParamQueue(CParamQueue& queue) {
    m_Info.Clear();
    CString csCount;
    if (!CBfMsgBase::FromParamQueue(queue) || !queue.PopFront(m_Info.m_csFirstParameter) ||
        !queue.PopFront(csCount))
        return false;
    // A count that runs past the record ends in a failed pop below, never a long loop.
    for (int i = 0, n = std::atoi(csCount); i < n; ++i) {
        CString csKey;
        CString csValue;
        if (!queue.PopFront(csKey) || !queue.PopFront(csValue))
            return false;
        m_Info.m_Values.emplace(csKey, csValue);
    }
    return true;
}
