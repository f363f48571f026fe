// The package description member: read out of an archive, and extended in memory.
#include <vector>

#include "bupinfo/bup_archive.h"
#include "bupinfo/bup_info.h"
#include "kernel/krnl2_app.h"
#include "support/opus_trace.h"

bool CKrnl2App::ArcBupInfoGet(const char* pszMember, CBupArchive& arc, CMemBlk& buf, CTime& time) {
    QM_TRACE_ENTER(3, "pszMember='%s', arc='%s'", pszMember, arc.ArchiveNameGet());
    uint32_t ulBupInfoLen = 0;
    bool fRet = false;
    if (!arc.FileInfoGet(pszMember, ulBupInfoLen, time)) {
        QM_TRACE_INTERNAL(1, "", "Couldn't find %s in %s", pszMember, arc.ArchiveNameGet());
    } else {
        QM_TRACE_INTERNAL(4, "", "ulBupInfoLen=%ld", static_cast<long>(ulBupInfoLen));
        buf.SizeSet(ulBupInfoLen);
        uint32_t ulSize = ulBupInfoLen;
        fRet = ulBupInfoLen == 0 || arc.FileGet(pszMember, buf.PtrGet(), ulSize);
        // A member that shrank between listing and reading keeps only what came.
        if (fRet)
            buf.SizeSet(ulSize);
    }
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(fRet));
    return fRet;
}

bool CKrnl2App::BupInfoXmlLoad(CBupArchive& arc, CString& csText) {
    QM_TRACE_ENTER(3, "arc='%s'", arc.ArchiveNameGet());
    static const char kMember[] = "BupInfo2.xml";
    uint32_t ulSize = 0;
    CTime time;
    bool fRet = false;
    if (!arc.FileInfoGet(kMember, ulSize, time)) {
        QM_TRACE_INTERNAL(1, "", "FileInfoGet failed");
    } else {
        std::vector<uint8_t> text(ulSize);
        uint32_t ulRead = ulSize;
        if (ulSize != 0 && !arc.FileGet(kMember, text.data(), ulRead)) {
            QM_TRACE_INTERNAL(1, "", "Can't extract '%s' from '%s'", kMember, arc.ArchiveNameGet());
        } else {
            csText = CString(std::string(text.begin(), text.begin() + ulRead));
            fRet = true;
        }
    }
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(fRet));
    return fRet;
}

void AppendToken(CBupInfo& bupinfo, CMemBlk& block, const char* pszParent, const char* pszName,
                 const char* pszValue) {
    QM_TRACE_INTERNAL(3, "", "adding %s\\%s=%s", pszParent, pszName, pszValue);
    QM_TRACE_INTERNAL(4, "", "bupinfo.Size = 0x%lX\n", static_cast<unsigned long>(block.SizeGet()));
    QM_TRACE_BIN(4, "Internal", "bupinfo", block.PtrGet(), block.SizeGet(), 16);
    uint32_t ulSize = 0;
    bupinfo.BufferSaveTo(nullptr, 0, &ulSize);
    QM_TRACE_INTERNAL(4, "", "xmlBupInfo buffer size = 0x%lX\n", static_cast<unsigned long>(ulSize));

    CString csRoot;
    bupinfo.TokenNameGet("\\", 0, csRoot);
    QM_TRACE_INTERNAL(4, "", "name of Root Node = %s\n", csRoot.c_str());
    uint32_t ulRet = bupinfo.TokenAdd(csRoot, 0, pszParent, "", nullptr);
    if (ulRet == 0) {
        CString csParentPath;
        csParentPath.Format("%s\\%s", csRoot.c_str(), pszParent);
        // The last of that name: the one just added, whatever the document had before.
        std::vector<CString> arChildren;
        bupinfo.EnumSubNodes(csRoot, 0, arChildren);
        uint32_t ulIndex = 0;
        for (const CString& cs : arChildren)
            if (cs == pszParent)
                ++ulIndex;
        ulRet = bupinfo.TokenAdd(csParentPath, ulIndex - 1, pszName, pszValue, nullptr);
    }
    QM_TRACE_INTERNAL(4, "", "TokenAdd() returned 0x%lX\n", static_cast<unsigned long>(ulRet));

    bupinfo.BufferSaveTo(nullptr, 0, &ulSize);
    QM_TRACE_INTERNAL(4, "", "new xmlBupInfo buffer size = 0x%lX\n", static_cast<unsigned long>(ulSize));
    std::vector<char> text(ulSize, '\0');
    if (bupinfo.BufferSaveTo(text.data(), ulSize, &ulSize) == 0) {
        // The size is an upper bound; the writer leaves the rest of the buffer untouched.
        while (!text.empty() && text.back() == '\0')
            text.pop_back();
        block.Assign(text.data(), static_cast<uint32_t>(text.size()));
    }
    QM_TRACE_INTERNAL(4, "", "new bupinfo.Size=0x%lX\n", static_cast<unsigned long>(block.SizeGet()));
    QM_TRACE_BIN(4, "Internal", "bupinfo", block.PtrGet(), block.SizeGet(), 16);
}
