#include "ipc/check_file_result.h"

#include <array>

#include "ipc/param_queue.h"
#include "assessment/assessment_wire.h"

namespace {

template <size_t N>
bool Push(CParamQueue& queue, const std::array<uint8_t, N>& block, const CBupAssessment& assessment) {
    return queue.PushBack(1) && queue.PushBack(block.data(), static_cast<uint32_t>(block.size())) &&
           queue.PushBack(assessment.Name().c_str()) && queue.PushBack(assessment.BiosVer().c_str());
}

// Pops count, block and both strings; decode turns the block into out's values.
template <size_t N, typename Assessment, typename Decode>
bool Pop(CParamQueue& queue, Assessment& out, Decode decode) {
    int iCount = 0;
    std::array<uint8_t, N> block{};
    CString csName;
    CString csBiosVer;
    if (!queue.PopFront(iCount) || !queue.PopFront(block.data(), static_cast<uint32_t>(block.size())) ||
        !queue.PopFront(csName) || !queue.PopFront(csBiosVer) || !decode(block.data(), block.size(), out))
        return false;
    out.m_csName = csName;
    out.m_csBiosVer = csBiosVer;
    return true;
}

}  // namespace

bool CheckFileResultPush(CParamQueue& queue, const CBupAssessment& assessment) {
    return Push(queue, EncodeAssessment(assessment), assessment);
}

bool CheckFileResultExPush(CParamQueue& queue, const CBupAssessmentEx& assessment) {
    return Push(queue, EncodeAssessmentEx(assessment), assessment);
}

bool CheckFileResultPop(CParamQueue& queue, CBupAssessment& out) {
    return Pop<kAssessmentWireSize>(queue, out, DecodeAssessment);
}

bool CheckFileResultExPop(CParamQueue& queue, CBupAssessmentEx& out) {
    return Pop<kAssessmentExWireSize>(queue, out, DecodeAssessmentEx);
}
