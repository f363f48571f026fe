// CBupAssessment and CBupAssessmentEx: what the kernel knows of one candidate
// update or configuration file.
#pragma once

#include <cstdint>

#include "assessment/bup_verdict.h"
#include "assessment/confirm_flags.h"
#include "support/string_type.h"
#include "support/time_type.h"

// What kind of file a candidate is.
class CArcType {
public:
    // 32 bits wide on the wire; any value read from there stays representable.
    enum E_ARC_TYPE : int32_t {
        eArcTypeNone = 0,  // no file chosen yet
        eArcTypeArchive = 1,  // zip: .bup package or .nvux configuration archive
        eArcTypeSingleFile = 2,
    };

    CArcType() = default;
    CArcType(E_ARC_TYPE e) : m_eType(e) {}
    CArcType& operator=(E_ARC_TYPE e) { m_eType = e; return *this; }

    E_ARC_TYPE Get() const { return m_eType; }
    bool operator==(E_ARC_TYPE e) const { return m_eType == e; }
    bool operator!=(E_ARC_TYPE e) const { return m_eType != e; }
    bool operator==(const CArcType& o) const { return m_eType == o.m_eType; }
    bool operator!=(const CArcType& o) const { return m_eType != o.m_eType; }

private:
    E_ARC_TYPE m_eType = eArcTypeNone;
};

class CBupAssessment {
public:
    CBupAssessment() = default;
    virtual ~CBupAssessment() = default;
    CBupAssessment(const CBupAssessment&) = default;
    CBupAssessment& operator=(const CBupAssessment&) = default;

    // Back to the state of a new assessment.
    void init() { *this = CBupAssessment(); }

    const CString& Name() const { return m_csName; }
    const CString& BiosVer() const { return m_csBiosVer; }

    CArcType m_ArcType;
    CString m_csName;  // as listed in its directory, no directory part
    CString m_csBiosVer;  // the verdict's sBiosInfo
    CBupUsability m_Usability;
    CBupConsistency m_Consistency;
    CConfirmFlags m_confirmflags;
    CTime m_BuildTime;  // build date from the package's BupInfo document, 0 when unknown
};

class CBupAssessmentEx : public CBupAssessment {
public:
    CBupAssessmentEx() = default;
    CBupAssessmentEx(const CBupAssessmentEx&) = default;
    CBupAssessmentEx& operator=(const CBupAssessmentEx&) = default;
    // A plain assessment knows no areas: it counts as a BIOS and NVRAM package.
    CBupAssessmentEx& operator=(const CBupAssessment& base);

    void init() { *this = CBupAssessmentEx(); }

    // One multi-line trace record of name, usage and confirm flags.
    void TraceOut(unsigned int uLevel, const char* pszPrefix) const;

    CUsageFlags m_UsageFlags;
};
