#include "frontend/message_decoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "ipc/check_file_result.h"
#include "ipc/session_data.h"

namespace {

using Fill = std::function<void(CParamQueue&)>;

// A record as the kernel would send it; cut keeps only the first bytes of the payload.
void Build(CSessionData& record, E_DEDURE_MSG eType, const Fill& fill, int nCut = -1) {
    CParamQueue payload;
    fill(payload);
    const uint32_t nSize = nCut < 0 ? payload.SizeGet() : static_cast<uint32_t>(nCut);
    record.ResetContent();
    record.TypeSet(eType);
    record.PushBack(payload.PtrGet(), nSize);
}

CBupAssessmentEx Candidate() {
    CBupAssessmentEx c;
    c.m_ArcType = CArcType::eArcTypeArchive;
    c.m_csName = "D3644-B1.bup";
    c.m_csBiosVer = "V5.0.0.13 R1.22.0";
    c.m_Usability = CBupUsability::USABILITY_NEWER_VERSION;
    c.m_Consistency = CBupConsistency::CONSISTENCY_COMPLETE_VALID;
    c.m_confirmflags.Set(CConfirmFlags::BootAfterUpdate);
    c.m_UsageFlags = CUsageFlags(CUsageFlags::BiosUpdate | CUsageFlags::LogoArea);
    return c;
}

CBfMsgGetGenericModuleInfo ModuleInfo() {
    CBfMsgGetGenericModuleInfo info;
    info.m_csToken = "eGetGenericModuleInfo";
    info.m_Info.m_csFirstParameter = "qmxsim";
    info.m_Info.m_Values.emplace("Version", "2.1");
    info.m_Info.m_Values.emplace("Board", "sim-1");
    info.m_Info.m_Values.emplace("Board", "sim-2");
    return info;
}

// Every payload shape the kernel sends, filled with typical values.
const std::vector<std::pair<E_DEDURE_MSG, Fill>>& Shapes() {
    static const std::vector<std::pair<E_DEDURE_MSG, Fill>> shapes = {
        {CDEdureMsg::eError, [](CParamQueue& q) { q.PushBack("file not found"); }},
        {CDEdureMsg::eProgress, [](CParamQueue& q) { q.PushBack(4321); }},
        {CDEdureMsg::eShutDown, [](CParamQueue& q) { q.PushBack(1); }},
        {CDEdureMsg::ePasswordRequ,
         [](CParamQueue& q) {
             for (const char* psz : {"a", "b", "c"})
                 q.PushBack(psz);
             q.PushBack(7);
             q.PushBack(9);
         }},
        {CDEdureMsg::eCheckFileResult, [](CParamQueue& q) { CheckFileResultPush(q, Candidate()); }},
        {CDEdureMsg::eCheckFileResultEx, [](CParamQueue& q) { CheckFileResultExPush(q, Candidate()); }},
        {CDEdureMsg::eGetGenericModuleInfo, [](CParamQueue& q) { ModuleInfo().ToParamQueue(q); }},
        {CDEdureMsg::eListBupInfo, [](CParamQueue& q) { ModuleInfo().ToParamQueue(q); }},
    };
    return shapes;
}

TEST(FrontendDecoder, EveryShapeDecodesWholeWithItsValues) {
    CSessionData record;
    std::map<int, SKernelMessage> decoded;
    for (const auto& [eType, fill] : Shapes()) {
        SCOPED_TRACE(CDEdureMsg::ToString(eType));
        Build(record, eType, fill);
        const SKernelMessage msg = CMessageDecoder::Decode(record);
        EXPECT_EQ(msg.eType, eType);
        EXPECT_FALSE(msg.fBadRecord);
        EXPECT_FALSE(msg.fUnknownType);
        EXPECT_EQ(record.SizeGet(), 0u) << "payload left over";
        decoded[eType] = msg;
    }
    const SKernelMessage& password = decoded[CDEdureMsg::ePasswordRequ];
    EXPECT_EQ(password.Texts, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(password.Values, (std::vector<int>{7, 9}));

    const SKernelMessage& check = decoded[CDEdureMsg::eCheckFileResultEx];
    ASSERT_TRUE(check.Candidate);
    EXPECT_TRUE(check.fCandidateEx);
    EXPECT_EQ(check.Candidate->Name().str(), "D3644-B1.bup");
    EXPECT_EQ(check.Candidate->BiosVer().str(), "V5.0.0.13 R1.22.0");
    EXPECT_EQ(check.Candidate->m_Usability, CBupUsability::USABILITY_NEWER_VERSION);
    EXPECT_TRUE(check.Candidate->m_UsageFlags.Test(CUsageFlags::LogoArea));

    const SKernelMessage& info = decoded[CDEdureMsg::eGetGenericModuleInfo];
    ASSERT_TRUE(info.Info);
    EXPECT_EQ(info.Info->m_csFirstParameter.str(), "qmxsim");
    EXPECT_EQ(info.Info->m_Values.count("Board"), 2u) << "repeated keys are kept";
}

// A record cut anywhere, inside a length prefix or in the bytes it claims,
// must be reported, never read past its end.
TEST(FrontendDecoder, TruncatedRecordsAreBadAtEveryLength) {
    CSessionData record;
    for (const auto& [eType, fill] : Shapes()) {
        CParamQueue full;
        fill(full);
        for (int nCut = 0; nCut < static_cast<int>(full.SizeGet()); ++nCut) {
            SCOPED_TRACE(std::string(CDEdureMsg::ToString(eType)) + " cut to " + std::to_string(nCut));
            Build(record, eType, fill, nCut);
            EXPECT_TRUE(CMessageDecoder::Decode(record).fBadRecord);
        }
    }
}

TEST(FrontendDecoder, TypesWithoutShapeAreUnknownNotBad) {
    CSessionData record;
    for (int nType : {117, 150, -3}) {
        record.ResetContent();
        record.TypeSet(static_cast<E_DEDURE_MSG>(nType));
        record.PushBack("whatever");
        const SKernelMessage msg = CMessageDecoder::Decode(record);
        EXPECT_TRUE(msg.fUnknownType) << nType;
        EXPECT_FALSE(msg.fBadRecord) << nType;
        EXPECT_EQ(msg.Code(), nType);
    }
    record.ResetContent();
    record.TypeSet(CDEdureMsg::eJobDone);
    const SKernelMessage done = CMessageDecoder::Decode(record);
    EXPECT_FALSE(done.fBadRecord || done.fUnknownType);
}

}  // namespace
