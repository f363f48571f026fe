// Reading the member listing that "unzip -l" prints: a header that ends in a line of
// dashes, one line per member (length, date, time, name), a closing line of dashes
// and a totals line.
#pragma once

#include <cstdint>

#include "support/string_type.h"
#include "support/time_type.h"

// The dashes under the column titles. The header is recognised by it rather than by
// counting lines, because an archive path with a newline adds header lines.
bool ArcListingIsHeaderRule(const char* pszLine);

// The line under the last member: it ends in "-------" (trailing white space aside).
bool ArcListingIsClosingRule(const char* pszLine);

// The name of a member line is the text behind its last blank, so a name holding
// blanks is only its last part. Returns the position of that blank; the name is set
// only when the position is above 0.
int ArcListingNameGet(const char* pszLine, CString& csName);

// Length and local time of a member line. Dates come as MM-DD-YY, MM-DD-YYYY or
// YYYY-MM-DD; false when a field is missing.
bool ArcListingInfoGet(const char* pszLine, uint32_t& ulSize, CTime& time);

// A year field of 1000 or more is the full year; below that, 0 to 70 are 2000 to 2070
// and the rest 1900 plus the value.
int ArcListingYearExpand(unsigned int uYear);
