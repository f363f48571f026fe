#include "kernel/shutdown.h"

const char* EShutDonw2Str(int eShutDown) {
    switch (eShutDown) {
    case SD_NO: return "SD_NO";
    case SD_ACTIVATE_CHANGES: return "SD_ACTIVATE_CHANGES";
    case SD_OP_PENDING: return "SD_OP_PENDING";
    case SD_OP_PENDING_RESTART_QM: return "SD_OP_PENDING_RESTART_QM";
    case SD_ACTIVATE_CHANGES_COLD_BOOT: return "SD_ACTIVATE_CHANGES_COLD_BOOT";
    default: return "<invalid>";
    }
}
