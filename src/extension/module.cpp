#include "extension/module.h"

#include <dlfcn.h>

#include "quillmark/qmx2.h"
#include "support/msc.h"
#include "support/opus_trace.h"

CModule::~CModule() { Release(); }

void CModule::BinaryPathSet(const char* pszPath) {
    Release();
    m_csModulePath = pszPath;
}

void CModule::Release() {
    if (!m_pModule)
        return;
    dlclose(m_pModule);
    m_pModule = nullptr;
    QM_TRACE_INTERNAL(4, "", "released '%s'", m_csModulePath.c_str());
}

void* CModule::ProcAddressGet(const char* pszName) const {
    return m_pModule ? dlsym(m_pModule, pszName) : nullptr;
}

bool CModule::Prepare() {
    if (m_pModule)
        return true;
    QM_TRACE_ENTER(3, "m_csModulePath='%s'", m_csModulePath.c_str());
    bool fRet = false;
    if (!MscFileExists(m_csModulePath)) {
        QM_TRACE_INTERNAL(1, "", "File '%s' does not exist", m_csModulePath.c_str());
    } else if (!(m_pModule = dlopen(m_csModulePath, RTLD_NOW))) {
        const char* pszError = dlerror();
        QM_TRACE_INTERNAL(1, "", "error occured on dlopen('%s'): '%s'", m_csModulePath.c_str(),
                          pszError ? pszError : "");
    } else if (auto pfnInit = reinterpret_cast<PFN_QMX2_INIT>(ProcAddressGet("Init")); !pfnInit) {
        // Stays loaded: a later Prepare succeeds without Init.
        QM_TRACE_INTERNAL(1, "", "Library '%s' failed on init", m_csModulePath.c_str());
    } else {
        fRet = pfnInit() != 0;
    }
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(fRet));
    return fRet;
}
