#include "bupinfo/archive_cache.h"

CArchiveCache& CArchiveCache::ForJob() {
    static CArchiveCache s_cache;
    return s_cache;
}

void CArchiveCache::Clear() {
    m_entries.clear();
    m_bytes = 0;
}

CArchiveCache::Key CArchiveCache::KeyOf(const struct stat& st) {
    // Size, modification and change times: a rewrite in place changes them.
    return Key(st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_ctim.tv_sec,
               st.st_ctim.tv_nsec);
}

std::shared_ptr<SArchiveListing> CArchiveCache::Find(const struct stat& st) const {
    const auto it = m_entries.find(KeyOf(st));
    return it == m_entries.end() ? nullptr : it->second;
}

void CArchiveCache::Put(const struct stat& st, std::shared_ptr<SArchiveListing> listing) {
    if (m_entries.size() >= kMaxEntries)
        Clear();
    m_entries[KeyOf(st)] = std::move(listing);
}
