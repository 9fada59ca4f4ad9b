#!/usr/bin/python3
"""A slave that answers every read on PORT with a damaged reply: slave 1 with a wrong CRC, slave 3 with
another slave's address; slave 2 answers properly (every register 1). Prints "ready" once listening."""
import os
import sys


def crc16(data):
    crc = 0xFFFF
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def main():
    fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
    print("ready", flush=True)
    pending = b""
    while True:
        pending += os.read(fd, 256)
        while len(pending) >= 8:  # reads only: 8-byte requests
            request, pending = pending[:8], pending[8:]
            slave, function = request[0], request[1]
            count = int.from_bytes(request[4:6], "big")
            body = bytes([9 if slave == 3 else slave, function, 2 * count]) + b"\x00\x01" * count
            crc = crc16(body) ^ (0xFFFF if slave == 1 else 0)
            os.write(fd, body + crc.to_bytes(2, "little"))


if __name__ == "__main__":
    main()
