// CKrnl2App::CModuleRun: one module operation driven through its call sequence.
#pragma once

#include <cstdint>

#include "extension/qmx2_operation_base.h"
#include "kernel/krnl2_app.h"

// What the module's iSeq says after a call.
enum E_SEQ_END {
    SEQ_GOES_ON,         // call again
    SEQ_DONE,            // finished
    SEQ_DONE_COLD_BOOT,  // finished, a cold boot activates it
    SEQ_DONE_PENDING,    // finished, the operation completes later
    SEQ_CANCELLED,       // ended without a change
};
E_SEQ_END SeqEnd(int32_t iSeq);

// The kernel calls, the module advances iSeq until a value that ends the run.
// Each operation says how it is called and what its turns and its end do;
// CKrnl2App::ModuleRun holds the loop.
class CKrnl2App::CModuleRun {
public:
    CModuleRun(CKrnl2App& app, CQmx2OperationBase& rec) : m_App(app), m_Rec(rec) {}
    virtual ~CModuleRun() = default;
    CModuleRun(const CModuleRun&) = delete;
    CModuleRun& operator=(const CModuleRun&) = delete;

    CQmx2OperationBase& Record() { return m_Rec; }

    // The module's entry point: the first call or a later one.
    virtual uint32_t Call(bool fStart) = 0;
    // After the first call, whatever it returned: by default a failure is
    // reported and the password handed over for the later calls.
    virtual void Started(uint32_t ulStatus) { FailureAndPasswordAfterFirstCall(ulStatus); }
    // Each turn while nothing failed, before the end is looked at.
    virtual void Turn(uint32_t ulStatus) = 0;
    // The end step for iSeq; false when the run goes on.
    virtual bool End(E_SEQ_END eEnd) = 0;
    // After each later call; nothing by default.
    virtual void Called(uint32_t /*ulStatus*/) {}

protected:
    // A failed first call reported; the password handed over for the later calls.
    void FailureAndPasswordAfterFirstCall(uint32_t ulStatus);
    // The file the module asked for into the transfer directory; true when it came.
    bool NextFileTake();
    // m_eShutDown for a run that ended with a cold boot, pending or cancelled.
    void ShutDownForEnd(E_SEQ_END eEnd);

    CKrnl2App& m_App;
    CQmx2OperationBase& m_Rec;
};
