// The BIOS password a front-end sends encrypted (-pwc): decoded by the kernel
// in either format, through the job line as the kernel takes it.
// Checks that text the front-end encrypts decrypts to itself, under the key
// selector the input picks.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cmdline/qm_cmd_line.h"
#include "crypt/xx_crypt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Texts arrive as C strings; a NUL ends them.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const CString text(input.c_str());

    CXXCrypt crypt(31);
    crypt.Decrypt(text, CXXCrypt::eCryptPassword);
    for (char cSeed = 17; cSeed <= 31; cSeed = static_cast<char>(cSeed + 7))
        CXXCrypt(cSeed)._Decrypt(text);

    CQmCmdLine cl;
    cl.Parse(("-at -pwc \"" + input.substr(0, input.find_first_of("\"", 0)) + "\"").c_str());
    cl.DecodePassword();

    // The front-end's side: the whole input as a plain password.
    const unsigned char bSelector = size ? data[0] : 0;
    const CString enc = crypt.Encrypt(text, bSelector);
    if (crypt.Decrypt(enc, CXXCrypt::eCryptPassword) != text)
        __builtin_trap();
    return 0;
}
