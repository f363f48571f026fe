// A new archive put in place whole: built in a private folder beside its name
// and renamed over it only when every file went in.
#pragma once

#include "support/string_type.h"

// Packs the files of pszDir matching the pattern ("*", "*.*", case-sensitive) into a
// new archive that then replaces pszTarget, keeping no member of an old one. On
// failure the old archive stands as it was, nothing is left behind, and csFailed
// names the file that did not go in (or the archive). A file gone, a link or any
// other non-regular file counts as not in; a target that is a link or another
// user's file is never replaced.
bool ArchiveBuildReplace(const char* pszTarget, const char* pszDir, const char* pszPattern, CString& csFailed);
