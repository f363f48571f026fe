// Records as they come out of a FIFO: the input's first byte picks the
// reader (even: the kernel reading job records, odd: the front-end reading
// session records), the rest is written into a real FIFO and read record by
// record, decoded and shown as the front-end shows it.
// Checks that a decoded candidate or module information pushed again pops
// back to the same values.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "frontend/human_printer.h"
#include "frontend/json_printer.h"
#include "frontend/message_decoder.h"
#include "assessment/assessment_wire.h"
#include "ipc/check_file_result.h"
#include "ipc/ipc_fifo.h"
#include "ipc/job_data.h"
#include "ipc/session_data.h"

namespace {

constexpr int kMaxRecords = 64;

// One FIFO in a private folder for the whole run, open for both ends and not
// blocking, so a short record ends a read at once instead of waiting.
class CFuzzFifo {
public:
    CFuzzFifo() {
        const char* pszTmp = std::getenv("TMPDIR");
        m_dir = std::string(pszTmp && *pszTmp ? pszTmp : "/tmp") + "/qm_fuzz_fifo_XXXXXX";
        if (!mkdtemp(&m_dir[0]))
            std::abort();
        fifo = (m_dir + "/fifo").c_str();
        if (fifo.Create(0600) != 0 || fifo.Open(O_RDWR | O_NONBLOCK) != 0)
            std::abort();
    }
    ~CFuzzFifo() {
        fifo.Close();
        fifo.Destroy();
        rmdir(m_dir.c_str());
    }
    void Drain() {
        char buf[4096];
        while (read(fifo.FileGet(), buf, sizeof buf) > 0) {
        }
    }
    CIpcFifo fifo;

private:
    std::string m_dir;
};

bool SameCandidate(const SKernelMessage& msg) {
    CParamQueue queue;
    const CBupAssessmentEx& c = *msg.Candidate;
    CBupAssessmentEx back;
    if (msg.fCandidateEx) {
        if (!CheckFileResultExPush(queue, c) || !CheckFileResultExPop(queue, back))
            return false;
        if (EncodeAssessmentEx(back) != EncodeAssessmentEx(c))
            return false;
    } else {
        CBupAssessment plain;
        if (!CheckFileResultPush(queue, c) || !CheckFileResultPop(queue, plain))
            return false;
        back = plain;
        if (EncodeAssessment(back) != EncodeAssessment(c))
            return false;
    }
    return back.Name() == c.Name() && back.BiosVer() == c.BiosVer() && queue.SizeGet() == 0;
}

bool SameInfo(const SKernelMessage& msg) {
    CBfMsgGetGenericModuleInfo out;
    out.m_Info = *msg.Info;
    CParamQueue queue;
    CBfMsgGetGenericModuleInfo back;
    return out.ToParamQueue(queue) && back.FromParamQueue(queue) && queue.SizeGet() == 0 &&
           back.m_Info.m_csFirstParameter == out.m_Info.m_csFirstParameter &&
           back.m_Info.m_Values == out.m_Info.m_Values;
}

void ReadSessionRecords(CIpcFifo& fifo) {
    std::ostringstream out, err;
    CJsonPrinter json(out, err);
    CHumanPrinter human(out, err, false);
    CSessionData record;
    for (int i = 0; i < kMaxRecords && record.FromFifo(fifo, 0) == 0; ++i) {
        const SKernelMessage msg = CMessageDecoder::Decode(record);
        json.Message(msg);
        human.Message(msg);
        if (msg.fBadRecord)
            continue;
        if (msg.Candidate && !SameCandidate(msg))
            __builtin_trap();
        if (msg.Info && !SameInfo(msg))
            __builtin_trap();
    }
    const SJobOutcome outcome{0, "other", "done", "none", "", ""};
    json.Done(outcome);
    human.Done(outcome);
}

void ReadJobRecords(CIpcFifo& fifo) {
    CJobData record;
    for (int i = 0; i < kMaxRecords && record.FromFifo(fifo, 0) == 0; ++i) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CFuzzFifo s_fifo;
    if (size == 0)
        return 0;
    // A pipe holds 64 KiB; what does not fit is not offered.
    const ssize_t nWritten = write(s_fifo.fifo.FileGet(), data + 1, std::min<size_t>(size - 1, 60000));
    (void)nWritten;
    if (data[0] % 2 == 0)
        ReadJobRecords(s_fifo.fifo);
    else
        ReadSessionRecords(s_fifo.fifo);
    s_fifo.Drain();
    return 0;
}
