#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
# recording-board.py: a test board on a pseudo-terminal that writes every byte it receives
# to the file $TOVANA_BOARD_LOG (two hex digits a line, as they come), answers each channel
# query (0..7) with one reading byte (40 times the channel, so every gauge stands apart) and
# relay bytes with nothing, as the real boards do. While the file $TOVANA_BOARD_LOG.quiet
# exists, every channel reads 0 (a test brings readings back within a limit so). With $TOVANA_BOARD_BAUD set, each reply
# waits for the time the query and its reply take on a line of that speed. Prints "ready
# <device>" once it listens, like tovana-boardsim, and runs until it is ended.
import os
import time
import tty

log_path = os.environ["TOVANA_BOARD_LOG"]
log = open(log_path, "a", buffering=1)
baud = int(os.environ.get("TOVANA_BOARD_BAUD", "0"))
byte_time = 10 / baud if baud else 0  # a start bit, eight data bits, a stop bit
master, slave = os.openpty()
tty.setraw(slave)
print("ready", os.ttyname(slave), flush=True)
while True:
    try:
        data = os.read(master, 256)
    except OSError:  # every user of the device went: wait for the next
        continue
    replies = bytearray()
    quiet = os.path.exists(log_path + ".quiet")
    for byte in data:
        log.write("%02x\n" % byte)
        if byte < 8:
            replies.append(0 if quiet else (40 * (byte or 8)) & 0xFF)
    if replies:
        time.sleep(2 * byte_time * len(replies))
        os.write(master, bytes(replies))
