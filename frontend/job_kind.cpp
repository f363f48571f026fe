#include "frontend/job_kind.h"

EJobKind JobKindOf(const CQmCmdLine& cmd) {
    if (cmd.OptionExists(eMake))
        return EJobKind::kMake;
    if (cmd.OptionExists(eNvramUpdate))
        return EJobKind::kRestore;
    if (cmd.OptionExists(eUpdate))
        return EJobKind::kUpdate;
    if (cmd.OptionExists(eActionStatus))
        return EJobKind::kActionStatus;
    if (cmd.OptionExists(eArchiveConfiguration))
        return EJobKind::kBackup;
    return EJobKind::kOther;
}

const char* JobKindName(EJobKind eKind) {
    switch (eKind) {
    case EJobKind::kUpdate: return "update";
    case EJobKind::kBackup: return "backup";
    case EJobKind::kRestore: return "restore";
    case EJobKind::kActionStatus: return "last_action";
    case EJobKind::kMake: return "combine";
    case EJobKind::kOther: break;
    }
    return "other";
}
