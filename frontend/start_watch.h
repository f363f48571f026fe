// CStartWatch: lets the front-end sleep while a kernel it started comes up,
// waking as soon as the kernel's initialisation FIFO appears or holds bytes, or
// the kernel ends, instead of looking every few milliseconds.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

class CStartWatch {
public:
    CStartWatch(std::string csFifo, pid_t pidKernel);
    ~CStartWatch();
    CStartWatch(const CStartWatch&) = delete;
    CStartWatch& operator=(const CStartWatch&) = delete;

    // Returns after such an event (or a signal), or after maxWait. Without
    // inotify it waits a short look.
    void Wait(std::chrono::milliseconds maxWait);

private:
    // Holds the FIFO's reading end while one stands at the name: writes to a
    // FIFO raise no inotify event, but make it readable.
    void FifoOpen();
    void FifoClose();

    std::string m_csFifo;
    int m_fdNotify = -1;
    int m_fdProcess = -1;
    int m_fdFifo = -1;
};
