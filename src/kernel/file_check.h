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

// The text (string resource) telling the user why the scan accepted nothing.
inline int FileCheckTextId(E_FILE_CHECK eCheck) {
    switch (eCheck) {
    case FC_INCOMPATIBLE: return 1077;
    case FC_INCOMPATIBLE_QUILLMARK: return 5331;
    case FC_SECURE_PLATFORM_REQUIRED: return 5332;
    case FC_INVALID_FILE_FOR_FULL_UPDATE: return 5201;
    default: return 1095;
    }
}

// The same for the selection, where an incompatible file counts as invalid.
inline int FileSelectTextId(E_FILE_CHECK eCheck) {
    return eCheck == FC_INCOMPATIBLE ? 1095 : FileCheckTextId(eCheck);
}

// Why the selection failed, for traces.
inline const char* FileSelectFailure2Str(E_FILE_CHECK eCheck) {
    switch (eCheck) {
    case FC_SECURE_PLATFORM_REQUIRED: return "SECURE_PLATFORM_UPDATE_REQUIRED";
    case FC_INCOMPATIBLE_QUILLMARK: return "INCOMPATIBLE_QUILLMARK_VERSION";
    case FC_INVALID_FILE_FOR_FULL_UPDATE: return "INVALID_FILE_FOR_FULL_UPDATE";
    default: return "INVALID_OR_MISSING_FILE";
    }
}
