#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ipc/bf_msg_get_generic_module_info.h"
#include "ipc/check_file_result.h"
#include "ipc/ipc_fifo.h"
#include "ipc/job_data.h"
#include "assessment/assessment_wire.h"
#include "ipc/session_data.h"
#include "support/win_error.h"
#include "test_helpers.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Word(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }
template <typename Range>
Bytes operator+(Bytes a, const Range& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes Str(const std::string& s) {
    return Word(uint32_t(s.size() + 1)) + Bytes(s.c_str(), s.c_str() + s.size() + 1);
}
Bytes Content(const CParamQueue& q) { return Bytes(q.PtrGet(), q.PtrGet() + q.SizeGet()); }

// One FIFO open for reading and writing: what is written comes back in order.
class Records : public ::testing::Test {
protected:
    void SetUp() override {
        m_fifo = m_tmp.file("fifo").c_str();
        ASSERT_EQ(m_fifo.Create(0664), 0);
        ASSERT_EQ(m_fifo.Open(O_NONBLOCK | O_RDWR), 0);
    }
    void Put(const Bytes& b) { ASSERT_EQ(m_fifo.Write(b.data(), unsigned(b.size())), b.size()); }
    Bytes Drain() {
        Bytes b(4096);
        b.resize(m_fifo.Read(b.data(), unsigned(b.size()), 0));
        return b;
    }
    TempDir m_tmp;
    CIpcFifo m_fifo;
};

TEST_F(Records, SessionFraming) {
    const struct { E_DEDURE_MSG eType; Bytes payload, wire; } cases[] = {
        {CDEdureMsg::eJobDone, {}, Word(113)},
        {CDEdureMsg::eError, Str("hi"), Word(100) + Word(7) + Str("hi")},
        {CDEdureMsg::eInfo, {}, Word(102) + Word(0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(CDEdureMsg::ToString(c.eType));
        CSessionData out, in;
        out.TypeSet(c.eType);
        out.PushBack(c.payload.data(), uint32_t(c.payload.size()));
        ASSERT_EQ(out.ToFifo(m_fifo, 0), ERROR_SUCCESS);
        EXPECT_EQ(Drain(), c.wire);
        Put(c.wire);
        in.PushBack("stale");
        ASSERT_EQ(in.FromFifo(m_fifo, 0), ERROR_SUCCESS);
        EXPECT_EQ(in.TypeGet(), c.eType);
        EXPECT_EQ(Content(in), c.payload);
    }
    // Records without a size word must not swallow the start of the next one.
    Put(Word(113) + Word(0) + Word(108) + Word(7) + Str("ab"));
    CSessionData in;
    for (E_DEDURE_MSG e : {CDEdureMsg::eJobDone, CDEdureMsg::eEmpty, CDEdureMsg::eActionPart}) {
        ASSERT_EQ(in.FromFifo(m_fifo, 0), ERROR_SUCCESS);
        EXPECT_EQ(in.TypeGet(), e);
    }
    EXPECT_EQ(Content(in), Str("ab"));
}

TEST_F(Records, SessionBadAndShort) {
    CSessionData rec;
    // Unknown types; then nothing, no size word, a payload cut short.
    const std::pair<Bytes, uint32_t> cases[] = {
        {Word(99) + Word(0), ERROR_GEN_FAILURE}, {Word(201) + Word(0), ERROR_GEN_FAILURE},
        {Word(0xFFFFFFFF) + Word(0), ERROR_GEN_FAILURE}, {Bytes{}, ERROR_NO_DATA}, {Word(102), ERROR_NO_DATA},
        {Word(102) + Word(10) + Bytes{1, 2, 3}, ERROR_NO_DATA},
    };
    for (const auto& [b, ulRet] : cases) {
        Put(b);
        EXPECT_EQ(rec.FromFifo(m_fifo, 0), ulRet) << b.size();
        Drain();
    }
    CIpcFifo closed(m_fifo);
    EXPECT_EQ(rec.FromFifo(closed, 0), ERROR_GEN_FAILURE);
    EXPECT_EQ(rec.ToFifo(closed, 0), ERROR_GEN_FAILURE);
}

TEST_F(Records, JobRequestCarriesTrimmedCommandLineAndSenderPid) {
    const std::string cmd = " \t-at -o \"a b.bup\"  \n";
    CJobData out, in;
    out.m_eJobType = CDEdureMsg::eRequestAction;
    out.m_csCmdLine = cmd.c_str();
    ASSERT_EQ(out.ToFifo(m_fifo, 0), ERROR_SUCCESS);
    const Bytes wire = Word(201) + Word(uint32_t(4 + cmd.size() + 1 + 4)) + Str(cmd) + Word(uint32_t(getpid()));
    EXPECT_EQ(Drain(), wire);
    Put(wire);
    ASSERT_EQ(in.FromFifo(m_fifo, 0), ERROR_SUCCESS);
    EXPECT_EQ(in.m_csCmdLine, "-at -o \"a b.bup\"");
    EXPECT_EQ(in.m_pidClient, getpid());
    Put(Word(201) + Word(20) + Str("-at"));
    EXPECT_EQ(in.FromFifo(m_fifo, 0), ERROR_NO_DATA);
}

TEST_F(Records, JobTypesWithoutPayload) {
    const struct { uint32_t ulType, ulRet; } cases[] = {{202, ERROR_SUCCESS}, {0, ERROR_NO_DATA}, {200, ERROR_GEN_FAILURE}, {999, ERROR_GEN_FAILURE}};
    CJobData in;
    in.m_csCmdLine = "earlier";
    for (const auto& c : cases) {
        // A reader waiting for a size word would eat the record behind.
        Put(Word(c.ulType) + Word(203));
        EXPECT_EQ(in.FromFifo(m_fifo, 0), c.ulRet) << c.ulType;
        EXPECT_EQ(in.FromFifo(m_fifo, 0), ERROR_SUCCESS);
        EXPECT_EQ(in.m_eJobType, CDEdureMsg::eShutdownKernel);
    }
    EXPECT_EQ(in.m_csCmdLine, "earlier");

    CJobData out;
    out.m_eJobType = CDEdureMsg::eAccept;
    EXPECT_EQ(out.ToFifo(m_fifo, 0), ERROR_SUCCESS);
    EXPECT_EQ(Drain(), Word(202));
}

TEST(ObjectMessages, GenericModuleInfo) {
    CBfMsgGetGenericModuleInfo msg, back;
    msg.m_Info.m_csFirstParameter = "eActionStatus";
    msg.m_Info.m_Values = {{"sStatus", "done"}, {"a", "2"}, {"a", "1"}};
    CSessionData rec;
    ASSERT_TRUE(msg.ToParamQueue(rec));
    EXPECT_EQ(Content(rec), Str("eGetGenericModuleInfo") + Str("eActionStatus") + Str("3") + Str("a") +
                                Str("2") + Str("a") + Str("1") + Str("sStatus") + Str("done"));
    back.m_Info.m_Values.emplace("old", "x");
    ASSERT_TRUE(back.FromParamQueue(rec));
    EXPECT_EQ(back.ToInfoString(), msg.ToInfoString());

    // A count beyond the pairs present fails instead of reading past the record.
    ASSERT_TRUE(rec.PushBack("eGetGenericModuleInfo") && rec.PushBack("p") && rec.PushBack("5") &&
                rec.PushBack("k") && rec.PushBack("v"));
    EXPECT_FALSE(back.FromParamQueue(rec));
}

TEST(ObjectMessages, CheckFileResult) {
    CBupAssessmentEx a, back;
    a.m_csName = "R1.2.bup";
    a.m_csBiosVer = "R1.2";
    a.m_UsageFlags = CUsageFlags(CUsageFlags::LogoArea);
    CSessionData rec;
    ASSERT_TRUE(CheckFileResultExPush(rec, a));
    EXPECT_EQ(Content(rec), Word(1) + EncodeAssessmentEx(a) + Str("R1.2.bup") + Str("R1.2"));
    ASSERT_TRUE(CheckFileResultExPop(rec, back));
    EXPECT_TRUE(back.m_csName == "R1.2.bup" && back.m_csBiosVer == "R1.2");
    EXPECT_EQ(back.m_UsageFlags, a.m_UsageFlags);

    ASSERT_TRUE(CheckFileResultPush(rec, a));
    EXPECT_EQ(rec.SizeGet(), 4u + 56u + 13u + 9u);
    EXPECT_FALSE(CheckFileResultExPop(rec, back));  // a plain record is not an extended one
}

}  // namespace
