// An assessment block as the front-end receives it behind a check-file
// result, decoded in both forms and turned into the texts it shows.
// Checks that decoding and encoding again gives the block's value fields
// back unchanged, and that the plain form reads what the extended one does.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "assessment/assessment_wire.h"

namespace {

// Offset and width of each value field; the rest is header, padding and slots.
const struct { size_t off, len; } kValueFields[] = {{8, 4}, {32, 4}, {36, 4}, {40, 4}, {48, 8}};
constexpr size_t kUsageFlags = 56;

template <size_t N>
bool SameValues(const uint8_t* pData, const std::array<uint8_t, N>& block) {
    for (const auto& field : kValueFields)
        if (std::memcmp(pData + field.off, block.data() + field.off, field.len) != 0)
            return false;
    return true;
}

void Show(const CBupAssessmentEx& a) {
    CString cs;
    a.m_confirmflags.ToString(cs);
    a.m_UsageFlags.AreasToString(cs);
    a.m_Usability.ToString();
    a.m_Consistency.ToString();
    a.m_BuildTime.Format("%m-%d-%Y");
    a.TraceOut(1, "fuzz");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CBupAssessment plain;
    const bool fPlain = DecodeAssessment(data, size, plain);
    if (fPlain != (size >= kAssessmentWireSize))
        __builtin_trap();
    if (fPlain && !SameValues(data, EncodeAssessment(plain)))
        __builtin_trap();

    CBupAssessmentEx ex;
    if (!DecodeAssessmentEx(data, size, ex))
        return 0;
    const auto block = EncodeAssessmentEx(ex);
    if (!SameValues(data, block) || std::memcmp(data + kUsageFlags, block.data() + kUsageFlags, 4) != 0)
        __builtin_trap();
    CBupAssessmentEx fromPlain;
    fromPlain = plain;
    if (EncodeAssessment(fromPlain) != EncodeAssessment(ex))
        __builtin_trap();
    Show(ex);
    return 0;
}
