#!/usr/bin/python3
"""XMODEM peer for the transfer tests, on the Debian python3-xmodem module.

Usage: xmodem_peer.py send [--1k] FILE | recv [--checksum] FILE
The line is stdin/stdout (a pty slave). Exit status 0 on success.
"""
import os
import select
import sys
import termios
import time
import tty

from xmodem import XMODEM


def getc(size, timeout=1):
    data = b''
    deadline = time.monotonic() + timeout
    while len(data) < size:
        left = deadline - time.monotonic()
        if left <= 0:
            break
        ready, _, _ = select.select([0], [], [], left)
        if not ready:
            break
        chunk = os.read(0, size - len(data))
        if not chunk:
            break
        data += chunk
    return data if len(data) == size else None


def putc(data, timeout=1):
    os.write(1, data)
    return len(data)


def main():
    command = sys.argv[1]
    flags = [arg for arg in sys.argv[2:] if arg.startswith('--')]
    path = [arg for arg in sys.argv[2:] if not arg.startswith('--')][0]
    # TCSANOW: a start character already waiting must not be flushed.
    tty.setraw(0, termios.TCSANOW)
    if command == 'send':
        mode = 'xmodem1k' if '--1k' in flags else 'xmodem'
        with open(path, 'rb') as stream:
            ok = XMODEM(getc, putc, mode=mode).send(stream, timeout=10)
    else:
        crc = 0 if '--checksum' in flags else 1
        with open(path, 'wb') as stream:
            ok = XMODEM(getc, putc).recv(stream, crc_mode=crc, timeout=10) is not None
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main())
