// Status numbers with the values of the Windows error codes.
#pragma once

#include <cstdint>

enum : uint32_t {
    ERROR_SUCCESS = 0,
    ERROR_INVALID_FUNCTION = 1,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_TOO_MANY_OPEN_FILES = 4,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_HANDLE = 6,
    ERROR_NOT_ENOUGH_MEMORY = 8,
    ERROR_INVALID_BLOCK = 9,
    ERROR_OUTOFMEMORY = 14,
    ERROR_BAD_FORMAT = 11,
    ERROR_NO_MORE_FILES = 18,
    ERROR_WRITE_FAULT = 29,
    ERROR_READ_FAULT = 30,
    ERROR_GEN_FAILURE = 31,
    ERROR_SHARING_VIOLATION = 32,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_INSUFFICIENT_BUFFER = 122,
    ERROR_NO_DATA = 232,
    WAIT_TIMEOUT = 258,
    ERROR_NOT_FOUND = 1168,
    ERROR_TIMEOUT = 1460,
    ERROR_INVALID_USER_BUFFER = 1784,
    ERROR_NOT_CONNECTED = 2250,
};

// Name of a status for traces; "<unknown>" for values without one.
const char* MscLastErr2Str(uint32_t ulErr);
