// Whom the front-end sends a job (and a password): only a kernel whose
// announcement block, request FIFO and process belong to root, or to our own
// user (a kernel we may have started ourselves without privileges).
#pragma once

#include <sys/types.h>

#include <string>

// Empty when the kernel may be trusted, else what was found, for the user. A
// request FIFO not made yet or a process that has ended is no reason to distrust:
// the one is checked again when the job is sent, the other gets no job.
std::string KernelDistrust(int idBlock, const char* pszRequestFifo, pid_t pidKernel);
