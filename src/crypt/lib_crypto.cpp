#include "crypt/lib_crypto.h"

#include <dlfcn.h>
#include <openssl/opensslv.h>

#include <string>

#include "support/opus_trace.h"

namespace {

template <typename Fn>
bool Bind(void* pLib, const char* pszName, Fn& pFn) {
    pFn = reinterpret_cast<Fn>(dlsym(pLib, pszName));
    if (!pFn)
        QM_TRACE_INTERNAL(1, "libcrypto lacks a function", "name='%s'", pszName);
    return pFn != nullptr;
}

// The library of the major version we were compiled against: its ABI is the one
// the headers describe.
const SLibCrypto* Load() {
    static SLibCrypto lib;
    const std::string csName = "libcrypto.so." + std::to_string(OPENSSL_VERSION_MAJOR);
    void* pLib = dlopen(csName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!pLib) {
        const char* pszWhy = dlerror();
        QM_TRACE_INTERNAL(1, "cannot load libcrypto", "name='%s', why='%s'", csName.c_str(), pszWhy ? pszWhy : "");
        return nullptr;
    }
    const bool fAll = Bind(pLib, "EVP_CIPHER_CTX_new", lib.pCtxNew) &&
                      Bind(pLib, "EVP_CIPHER_CTX_free", lib.pCtxFree) &&
                      Bind(pLib, "EVP_CIPHER_CTX_set_padding", lib.pCtxSetPadding) &&
                      Bind(pLib, "EVP_CipherInit_ex", lib.pCipherInit) &&
                      Bind(pLib, "EVP_CipherUpdate", lib.pCipherUpdate) &&
                      Bind(pLib, "EVP_des_ede3_ecb", lib.pDesEde3Ecb);
    // Kept loaded either way: it stays for the rest of the process.
    return fAll ? &lib : nullptr;
}

}  // namespace

const SLibCrypto* SLibCrypto::Get() {
    static const SLibCrypto* const pLib = Load();
    return pLib;
}
