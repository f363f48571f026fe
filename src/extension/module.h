// CModule: one shared object, loaded on first use and asked to initialise.
#pragma once

#include "support/string_type.h"

class CModule {
public:
    CModule() = default;
    explicit CModule(const char* pszPath) { BinaryPathSet(pszPath); }
    virtual ~CModule();
    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;

    // Unloads the previous object (without uninstalling it) and stores the path.
    void BinaryPathSet(const char* pszPath);
    const CString& BinaryPathGet() const { return m_csModulePath; }
    // Unloads the object; a derived binding forgets what it bound from it.
    virtual void Release();
    bool IsLoaded() const { return m_pModule != nullptr; }
    // Null when not loaded or not exported.
    void* ProcAddressGet(const char* pszName) const;

    // Loads the object and calls its Init; true at once when already loaded.
    virtual bool Prepare();

protected:
    CString m_csModulePath;
    void* m_pModule = nullptr;
};
