// E_FILE_CHECK: why a set of candidate update files was or was not accepted.
#pragma once

#include <cstdint>

// Fixed underlying type: a value read from elsewhere is never out of range.
enum E_FILE_CHECK : int32_t {
    FC_VALID = 0,
    FC_INCOMPATIBLE = -1,
    FC_INVALID = -2,  // also the starting value of a check
    FC_INCOMPATIBLE_QUILLMARK = -3,
    FC_SECURE_PLATFORM_REQUIRED = -4,
    FC_INVALID_FILE_FOR_FULL_UPDATE = -5,
};

// Enumerator name for traces, "<invalid>" for any other value.
inline const char* FileCheck2Str(E_FILE_CHECK eCheck) {
    switch (eCheck) {
    case FC_VALID: return "FC_VALID";
    case FC_INCOMPATIBLE: return "FC_INCOMPATIBLE";
    case FC_INVALID: return "FC_INVALID";
    case FC_INCOMPATIBLE_QUILLMARK: return "FC_INCOMPATIBLE_QUILLMARK";
    case FC_SECURE_PLATFORM_REQUIRED: return "FC_SECURE_PLATFORM_REQUIRED";
    case FC_INVALID_FILE_FOR_FULL_UPDATE: return "FC_INVALID_FILE_FOR_FULL_UPDATE";
    }
    return "<invalid>";
}
