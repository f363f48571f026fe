#include "support/win_error.h"

const char* MscLastErr2Str(uint32_t ulErr) {
    switch (ulErr) {
    case ERROR_SUCCESS: return "ERROR_SUCCESS";
    case ERROR_INVALID_FUNCTION: return "ERROR_INVALID_FUNCTION";
    case ERROR_FILE_NOT_FOUND: return "ERROR_FILE_NOT_FOUND";
    case ERROR_PATH_NOT_FOUND: return "ERROR_PATH_NOT_FOUND";
    case ERROR_TOO_MANY_OPEN_FILES: return "ERROR_TOO_MANY_OPEN_FILES";
    case ERROR_ACCESS_DENIED: return "ERROR_ACCESS_DENIED";
    case ERROR_INVALID_HANDLE: return "ERROR_INVALID_HANDLE";
    case ERROR_NOT_ENOUGH_MEMORY: return "ERROR_NOT_ENOUGH_MEMORY";
    case ERROR_INVALID_BLOCK: return "ERROR_INVALID_BLOCK";
    case ERROR_OUTOFMEMORY: return "ERROR_OUTOFMEMORY";
    case ERROR_NO_MORE_FILES: return "ERROR_NO_MORE_FILES";
    case ERROR_WRITE_FAULT: return "ERROR_WRITE_FAULT";
    case ERROR_GEN_FAILURE: return "ERROR_GEN_FAILURE";
    case ERROR_SHARING_VIOLATION: return "ERROR_SHARING_VIOLATION";
    case ERROR_NO_DATA: return "ERROR_NO_DATA";
    case WAIT_TIMEOUT: return "WAIT_TIMEOUT";
    case ERROR_TIMEOUT: return "ERROR_TIMEOUT";
    default: return "<unknown>";
    }
}
