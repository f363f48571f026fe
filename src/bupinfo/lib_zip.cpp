#include "bupinfo/lib_zip.h"

#include <dlfcn.h>

#include "support/opus_trace.h"

namespace {

struct SLoaded {
    SLibZip lib;
    std::string strWhy;  // empty when every function is bound
};

SLoaded Load() {
    SLoaded loaded;
    // The library the build linked against at configure time, by its soname.
    void* pLib = dlopen(QM_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!pLib) {
        const char* pszWhy = dlerror();
        loaded.strWhy = std::string("cannot load " QM_LIBZIP_SONAME ": ") + (pszWhy ? pszWhy : "");
    }
#define QM_LIBZIP_BIND(name)                                                                  \
    if (pLib && loaded.strWhy.empty()) {                                                      \
        loaded.lib.name = reinterpret_cast<decltype(loaded.lib.name)>(dlsym(pLib, #name));    \
        if (!loaded.lib.name)                                                                 \
            loaded.strWhy = QM_LIBZIP_SONAME " lacks " #name;                                 \
    }
    QM_LIBZIP_FUNCTIONS(QM_LIBZIP_BIND)
#undef QM_LIBZIP_BIND
    if (!loaded.strWhy.empty())
        QM_TRACE_INTERNAL(1, "", "%s", loaded.strWhy.c_str());
    // Kept loaded either way: it stays for the rest of the process.
    return loaded;
}

}  // namespace

const SLibZip* SLibZip::Get(std::string& strWhy) {
    static const SLoaded s_loaded = Load();
    if (!s_loaded.strWhy.empty()) {
        strWhy = s_loaded.strWhy;
        return nullptr;
    }
    return &s_loaded.lib;
}
