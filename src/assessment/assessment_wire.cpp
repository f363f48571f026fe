#include "assessment/assessment_wire.h"

namespace {

// Offsets of the value fields; everything else is header, padding or a slot.
constexpr size_t kOffArcType = 8;
constexpr size_t kOffUsability = 32;
constexpr size_t kOffConsistency = 36;
constexpr size_t kOffConfirmFlags = 40;
constexpr size_t kOffBuildTime = 48;
constexpr size_t kOffUsageFlags = 56;

// Byte by byte, so the layout does not depend on the host's byte order.
void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutU64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetU32(const uint8_t* p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(p[i]) << (8 * i);
    return v;
}

uint64_t GetU64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v |= uint64_t(p[i]) << (8 * i);
    return v;
}

// Signed values travel in two's complement; the conversions are well defined.
void EncodeBase(const CBupAssessment& a, uint8_t* p) {
    PutU32(p + kOffArcType, static_cast<uint32_t>(a.m_ArcType.Get()));
    PutU32(p + kOffUsability, static_cast<uint32_t>(int32_t(a.m_Usability)));
    PutU32(p + kOffConsistency, static_cast<uint32_t>(int32_t(a.m_Consistency)));
    PutU32(p + kOffConfirmFlags, a.m_confirmflags.Value());
    PutU64(p + kOffBuildTime, static_cast<uint64_t>(int64_t(a.m_BuildTime.GetTime())));
}

void DecodeBase(const uint8_t* p, CBupAssessment& a) {
    // The enumerations have a 32-bit underlying type, so any value is representable.
    a.m_ArcType = static_cast<CArcType::E_ARC_TYPE>(static_cast<int32_t>(GetU32(p + kOffArcType)));
    a.m_Usability =
        static_cast<CBupUsability::e_usability>(static_cast<int32_t>(GetU32(p + kOffUsability)));
    a.m_Consistency = static_cast<CBupConsistency::e_consistency>(
        static_cast<int32_t>(GetU32(p + kOffConsistency)));
    a.m_confirmflags = CConfirmFlags(GetU32(p + kOffConfirmFlags));
    a.m_BuildTime = CTime(static_cast<time_t>(static_cast<int64_t>(GetU64(p + kOffBuildTime))));
}

}  // namespace

std::array<uint8_t, kAssessmentWireSize> EncodeAssessment(const CBupAssessment& assessment) {
    std::array<uint8_t, kAssessmentWireSize> block{};
    EncodeBase(assessment, block.data());
    return block;
}

std::array<uint8_t, kAssessmentExWireSize> EncodeAssessmentEx(const CBupAssessmentEx& assessment) {
    std::array<uint8_t, kAssessmentExWireSize> block{};
    EncodeBase(assessment, block.data());
    PutU32(block.data() + kOffUsageFlags, assessment.m_UsageFlags.Value());
    return block;
}

bool DecodeAssessment(const uint8_t* pData, size_t nSize, CBupAssessment& out) {
    if (!pData || nSize < kAssessmentWireSize)
        return false;
    DecodeBase(pData, out);
    return true;
}

bool DecodeAssessmentEx(const uint8_t* pData, size_t nSize, CBupAssessmentEx& out) {
    if (!pData || nSize < kAssessmentExWireSize)
        return false;
    DecodeBase(pData, out);
    out.m_UsageFlags = CUsageFlags(GetU32(pData + kOffUsageFlags));
    return true;
}
