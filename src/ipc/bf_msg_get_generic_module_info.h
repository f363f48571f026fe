// CBfMsgGetGenericModuleInfo: generic module information (first parameter and
// key/value items) as an object message.
#pragma once

#include <map>

#include "ipc/bf_msg_base.h"
#include "support/string_type.h"

// What a module answers to a generic information request.
class CGetBupInfoAndGetGenericModuleInfoDataBaseClass {
public:
    virtual ~CGetBupInfoAndGetGenericModuleInfoDataBaseClass() = default;

    // "m_csFirstParameter='...'\nVALUES:\n" and one "[key]='value'\n" per item.
    CString ToString() const;
    void Clear() {
        m_csFirstParameter.Empty();
        m_Values.clear();
    }

    CString m_csFirstParameter;
    std::multimap<CString, CString> m_Values;  // ordered by key; a key may repeat
};

class CGetGenericModuleInfo : public CGetBupInfoAndGetGenericModuleInfoDataBaseClass {};

class CBfMsgGetGenericModuleInfo : public CBfMsgBase {
public:
    CBfMsgGetGenericModuleInfo() : CBfMsgBase("eGetGenericModuleInfo", CDEdureMsg::eGetGenericModuleInfo) {}

    CString ToInfoString() const override { return m_Info.ToString(); }
    // Token, first parameter, item count in decimal, then key and value per item.
    bool ToParamQueue(CParamQueue& queue) const override;
    bool FromParamQueue(CParamQueue& queue) override;

    CGetGenericModuleInfo m_Info;
};
