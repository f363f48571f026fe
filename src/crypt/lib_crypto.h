// The few libcrypto functions the DES code needs, bound when a password is
// first coded: most runs code none, and loading libcrypto at start costs more
// than the rest of a short front-end or kernel run.
#pragma once

#include <openssl/evp.h>

struct SLibCrypto {
    decltype(&::EVP_CIPHER_CTX_new) pCtxNew = nullptr;
    decltype(&::EVP_CIPHER_CTX_free) pCtxFree = nullptr;
    decltype(&::EVP_CIPHER_CTX_set_padding) pCtxSetPadding = nullptr;
    decltype(&::EVP_CipherInit_ex) pCipherInit = nullptr;
    decltype(&::EVP_CipherUpdate) pCipherUpdate = nullptr;
    decltype(&::EVP_des_ede3_ecb) pDesEde3Ecb = nullptr;

    // Bound once per process; nullptr (traced) when libcrypto or a function is missing.
    static const SLibCrypto* Get();
};
