// Msc utilities: file system, temporary locations, system and text helpers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "support/str_array.h"
#include "support/string_type.h"
#include "support/time_type.h"

// File-type bits of an lstat mode, as the directory listings take them.
constexpr unsigned int MSC_TYPE_REGULAR = 0x8000;
constexpr unsigned int MSC_TYPE_DIRECTORY = 0x4000;

// Paths
void MscPathSplit(const char* pszPath, CString* pDir, CString* pName, CString* pExt);
// Returns 0 only when base is empty and the path starts with "../".
int MscExpandRelPath(const char* pszPath, const char* pszBase, CString& out);
void MscExpandEnvir(const char* pszIn, CString& out);
int MscSymLinkRead(const char* pszPath, CString& out);

// Directory listings append bare entry names, unsorted, and return how many they added.
int MscFindDirEntries(const char* pszPattern, CStrArray& list, unsigned int uiInclude,
                      unsigned int uiExclude, bool fIgnoreCase);
int MscFindFileList(const char* pszPattern, CStrArray& list, bool fIgnoreCase);
int MscFindDirList(const char* pszPattern, CStrArray& list, bool fIgnoreCase);
void MscListSort(CStrArray& list);
void MscExclusionList(const CStrArray& all, const CStrArray& excluded, CStrArray& result);
// Calls fn(path, name, type) for each entry of the pattern's directory whose
// name matches; type is the entry's own S_IFMT bits (a link is a link), 0 when
// it cannot be told. fn returning false ends the walk. False when the directory
// cannot be read.
bool MscMatchingEntriesVisit(
    const char* pszPattern, bool fIgnoreCase,
    const std::function<bool(const std::string&, const std::string&, unsigned int)>& fn);
// 1 match, 0 no match, 2 abandon (text ran out while a "*" was expanded)
int MscRegularMatch(const char* pszPattern, const char* pszText, bool fIgnoreCase);

// Files
bool MscFileExists(const char* pszPath);
bool MscDirectoryExists(const char* pszPath, bool fCheckWritable = false);
uint32_t MscFileSize(const char* pszPath);
int MscFileInfoGet(const char* pszPath, uint32_t& ulSize, CTime& time);
int MscFileCopy(const char* pszSrc, const char* pszDst, bool fFailIfExists);
// All of the bytes to the descriptor, retried after signals; false on an error (errno set).
bool MscWriteAll(int fd, const void* pData, size_t nSize);
// Writes data as the whole new content of a file (its mode kept), by way of a
// flushed file beside it renamed over it; 0, with the old file whole, on any
// failure or when the path is a link or not a regular file of our own user.
int MscFileReplace(const char* pszPath, const std::string& data);
// 1 when the path may be replaced: nothing stands there (uMode 0644) or a regular
// file of our own user (uMode its permissions); 0 for a link or anything else.
int MscReplaceModeGet(const char* pszPath, unsigned& uMode);
// The directory and all below it, walked by descriptor without following any
// link; 0 when the path is no directory or anything is left.
int MscTreeRemove(const char* pszDir);
int MscFileRemoveWild(const char* pszPattern, bool fIgnoreCase);

// Temporary locations
void MscTempDirGet(CString& out);
// A new folder "<dir>/<prefix>" and six random characters, mode 0700; out untouched on failure.
int MscTemporaryFolderMake(const char* pszDir, const char* pszPrefix, CString& out);

// System
int MscShutdown(int nDelayMinutes, const char* pszMessage);
int MscNodeNameGet(CString& out);
// Whether the user belongs to the group, as its primary or a further group;
// false for an empty or unknown group or an unknown user.
bool MscUserInGroup(unsigned uUid, const char* pszGroup);

// Text
// A null text read as "".
inline const char* MscOrEmpty(const char* psz) { return psz ? psz : ""; }
// One of three rotating static buffers, at most 259 characters.
const char* MscFilterPasswordSwitches(const char* pszCmdLine, const char* pszSwitch = "-pw");
// Copies text and terminator to pBuffer + ulPos; returns the position behind it. A cut text
// still ends in a terminator on the block's last byte.
uint32_t MscVariableStringSet(char* pBuffer, const char* pszText, uint32_t ulPos,
                              uint32_t ulMaxSize);
std::string MscStdStringFormat(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
