// What the machine must do once the server has finished.
#pragma once

enum E_SHUTDOWN {
    SD_NO = 0,
    SD_ACTIVATE_CHANGES = 1,
    SD_OP_PENDING = 2,
    SD_OP_PENDING_RESTART_QM = 3,
    SD_ACTIVATE_CHANGES_COLD_BOOT = 4,
};

// Enumerator name for traces, "<invalid>" outside the range.
const char* EShutDonw2Str(int eShutDown);
