#!/usr/bin/env python3
"""Writes the hand-made seeds of fuzz_spooler_enumeration into the folder given (normally
fuzz/corpus/fuzz_spooler_enumeration), in the input format fuzzed_print_spooler.cpp reads. The
record layouts are those of the native build (x86-64 Linux: 8-byte pointers, 4-byte wchar_t)."""
import os
import struct
import sys

# Record size, pointer field count, and the pointer fields that carry the texts a seed gives.
KINDS = {
    'printer': (136, 13, [1, 3, 4]),  # PrinterInfo2: pPrinterName, pPortName, pDriverName
    'driver': (8, 1, [0]),  # DriverInfo1: pName
    'port': (32, 3, [0, 1, 2]),  # PortInfo2: pPortName, pMonitorName, pDescription
    'connection': (24, 2, [0, 1]),  # PrinterInfo4: pPrinterName, pServerName
}


def u16(value):
    return struct.pack('<H', value)


def u32(value):
    return struct.pack('<I', value & 0xffffffff)


def text(value):
    return (value + '\0').encode('utf-32-le')


def listing(kind, records, returned=None):
    """One enumeration as winspool answers it: the sizing call fails with 122 and the needed
    size, the fetch succeeds with the records packed and their texts behind them."""
    size, count, used = KINDS[kind]
    image = bytearray(size * len(records))
    placed = []
    for record in records:
        fields = [None] * count
        for field, value in zip(used, record):
            if value is not None:
                fields[field] = len(image)
                image += text(value)
        placed.append(fields)
    needed = len(image)
    buffer_size = needed + 8  # what the wrappers offer
    counted = len(records) if returned is None else returned
    claimed = min(counted, buffer_size // size)
    data = bytes([0]) + u16(needed) + u32(0) + u32(122)
    data += bytes([1]) + u32(counted)
    for i in range(claimed):
        for offset in placed[i] if i < len(placed) else [None] * count:
            data += bytes([0]) if offset is None else bytes([1]) + u16(offset)
    return data + bytes(image) + bytes(buffer_size - len(image))


def failing(needed, code):
    """The sizing call answers `needed`, the fetch fails with `code`."""
    return bytes([0]) + u16(needed) + u32(0) + u32(122) + bytes([0]) + u32(code)


SEEDS = {
    'typical':
        listing('printer', [('\\\\srv\\Novax QZ-100', None, 'Novax QZ-100')]) +
        listing('printer', [('Novax QZ-100', 'DLM_USB001', 'Novax QZ-100'),
                            ('Acme Laser', 'LPT1:,LPT2:', 'Acme Laser 5')]) +
        listing('driver', [('Novax QZ-100',), ('Acme Laser 5',), (None,)]) +
        listing('connection', [('\\\\ps\\Novax QZ-200', '\\\\ps'), (None, None)]) +
        listing('port', [('DLM_USB001', 'DeviceLinkMonitor', ''),
                         ('IP_10.0.0.9', 'TCPMON.DLL', 'Standard TCP/IP Port'),
                         ('LPT1:', 'Local Monitor', 'Local Port'), ('NOMON', None, None)]),
    'every_fetch_fails':
        failing(200, 5) + failing(300, 1722) + failing(16, 122) + failing(48, 127) +
        failing(64, 1),
    'empty_answers':
        b''.join(bytes([1]) + u16(0) + u32(0) + bytes([1]) + u32(0) for _ in range(5)),
    'count_beyond_buffer':
        listing('printer', [('Q', 'P', 'D')], returned=0xffffffff) +
        listing('printer', [('Q', 'P', 'D')], returned=1000) +
        listing('driver', [('D',)], returned=0x80000000) +
        listing('connection', [('\\\\s\\Q', '\\\\s')], returned=3) +
        listing('port', [('P', 'M', 'X')], returned=7),
}

if __name__ == '__main__':
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), 'wb') as seed:
            seed.write(data)
