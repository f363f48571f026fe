// Waiting for a 32-bit word in memory shared between processes to change, and
// waking the waiter (futex). The standard library's atomic waits are for the
// threads of one process only.
#pragma once

#include <chrono>
#include <cstdint>

// Returns when the word no longer holds ulSeen, when woken, or after at most
// maxWait, whichever comes first; the caller looks at the word again.
void SharedWordWait(const uint32_t* pWord, uint32_t ulSeen, std::chrono::microseconds maxWait);
// Wakes every process waiting on the word.
void SharedWordWake(const uint32_t* pWord);
