// CBfMsgBase: a message object that writes its own parameters into a session record.
#pragma once

#include "ipc/dedure_msg.h"
#include "support/string_type.h"

class CParamQueue;

class CBfMsgBase {
public:
    CBfMsgBase(const char* pszToken, E_DEDURE_MSG eType) : m_csToken(pszToken), m_eType(eType) {}
    virtual ~CBfMsgBase() = default;

    // Readable form for traces and front-ends.
    virtual CString ToInfoString() const;
    // The base part is the token; derived kinds push theirs behind it.
    virtual bool ToParamQueue(CParamQueue& queue) const;
    virtual bool FromParamQueue(CParamQueue& queue);

    E_DEDURE_MSG TypeGet() const { return m_eType; }

    CString m_csToken;

protected:
    CBfMsgBase(const CBfMsgBase&) = default;
    CBfMsgBase& operator=(const CBfMsgBase&) = default;

private:
    E_DEDURE_MSG m_eType;
};
