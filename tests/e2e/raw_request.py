"""A client that speaks the request protocol by hand, for attacker cases.

raw_request.py [--pid PID] [--fifo-mode MODE] [--wait-signal] [--take] [--hold S] COMMAND-LINE

Writes one request record into the kernel's request FIFO, naming PID (this
process by default). --fifo-mode first makes this process's own response FIFO
with that mode and keeps it open; --wait-signal waits, up to 10 s, for SIGUSR1
between opening the request FIFO and writing; --take waits for the acceptance and attaches the
session's block as a front-end does; --hold keeps every descriptor open that
long. Prints "sent" once the record is written, "taken" once the session is;
exits 1 when the FIFO cannot be opened or nothing is accepted within 5 s.
"""
import argparse
import ctypes
import os
import signal
import struct
import sys
import time

REQUEST = "/tmp/158955C3_846D_4F01_84A4_ED2AE14208FC.sync"
RESPONSE_BASE = "/tmp/DC787BDB_3880_47FC_B905_DDAA308E7031"


def record(cmdline, pid):
    text = cmdline.encode() + b"\0"
    payload = struct.pack("<I", len(text)) + text + struct.pack("<i", pid)
    return struct.pack("<II", 201, len(payload)) + payload


ACCEPT = 202
ANNOUNCEMENT_SIZE = 2104
SESSION_ID_OFFSET = 36


def shm_attach(libc, shmid, flags):
    addr = libc.shmat(shmid, None, flags)
    if addr in (None, 2**64 - 1):
        raise OSError(ctypes.get_errno(), "shmat %d" % shmid)
    return addr


def take_session(response_fd):
    """Waits for the acceptance, then attaches the block the announcement names."""
    deadline = time.monotonic() + 5
    word = b""
    while len(word) < 4:
        if time.monotonic() > deadline:
            return False
        try:
            word += os.read(response_fd, 4 - len(word))
        except BlockingIOError:
            time.sleep(0.01)
    if struct.unpack("<I", word)[0] != ACCEPT:
        return False
    libc = ctypes.CDLL(None, use_errno=True)
    libc.shmat.restype = ctypes.c_void_p
    # /proc/sysvipc/shm: key shmid perms size cpid ...
    with open("/proc/sysvipc/shm") as f:
        ids = [int(l.split()[1]) for l in f.readlines()[1:] if int(l.split()[3]) == ANNOUNCEMENT_SIZE]
    for shmid in ids:
        info = shm_attach(libc, shmid, 0o10000)  # SHM_RDONLY
        session = ctypes.c_int32.from_address(info + SESSION_ID_OFFSET).value
        shm_attach(libc, session, 0)
        return True
    return False


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--pid", type=int, default=os.getpid())
    ap.add_argument("--fifo-mode", type=lambda s: int(s, 8))
    ap.add_argument("--wait-signal", action="store_true")
    ap.add_argument("--take", action="store_true")
    ap.add_argument("--hold", type=float, default=0)
    ap.add_argument("cmdline")
    args = ap.parse_args()
    # Blocked from the start, so a signal sent early is not lost.
    signal.pthread_sigmask(signal.SIG_BLOCK, [signal.SIGUSR1])
    if args.fifo_mode is None:
        return request(args, [])
    path = "%s_%d.sync" % (RESPONSE_BASE, os.getpid())
    os.mkfifo(path)
    try:
        os.chmod(path, args.fifo_mode)
        return request(args, [os.open(path, os.O_RDWR | os.O_NONBLOCK)])
    finally:
        os.unlink(path)


def request(args, keep):
    try:
        fd = os.open(REQUEST, os.O_WRONLY | os.O_NONBLOCK)
    except OSError as e:
        print("cannot open the request FIFO: %s" % e.strerror, file=sys.stderr)
        return 1
    if args.wait_signal:
        signal.sigtimedwait([signal.SIGUSR1], 10)
    os.write(fd, record(args.cmdline, args.pid))
    print("sent", flush=True)
    if args.take:
        if not keep or not take_session(keep[0]):
            print("not accepted", file=sys.stderr)
            return 1
        print("taken", flush=True)
    time.sleep(args.hold)
    os.close(fd)
    for k in keep:
        os.close(k)
    return 0


if __name__ == "__main__":
    sys.exit(main())
