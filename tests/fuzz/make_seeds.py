#!/usr/bin/env python3
"""Writes the small hand-made seeds of fuzz_picture_data, fuzz_player_module and
fuzz_packed_assets.

    tests/fuzz/make_seeds.py        (rewrites tests/fuzz/corpus/{picture_data,player_module,packed_assets})
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def dib(width, height, bits, palette, pixels, compression=0):
    """Image data as stored: BITMAPINFOHEADER, colour table, then the bits."""
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression,
                         len(pixels), 2835, 2835, len(palette), 0)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    return header + table + pixels


def picture(class_name, image):
    return bytes([len(class_name)]) + class_name.encode() + image


def picture_seeds():
    grey = [(0, 0, 0), (85, 85, 85), (170, 170, 170), (255, 255, 255)]
    return {
        # 4x2, 8 bits a pixel, rows padded to four bytes
        'pal8.pict': picture('TDIB', dib(4, 2, 8, grey, bytes([0, 1, 2, 3, 3, 2, 1, 0]))),
        # 8x1, 1 bit a pixel
        'pal1.pict': picture('TDIB', dib(8, 1, 1, grey[::3], bytes([0xA5, 0, 0, 0]))),
        # 2x2, 24 bits a pixel, top-down
        'rgb24td.pict': picture('TDIB', dib(2, -2, 24, [], bytes(range(6)) + b'\0\0' + bytes(range(6, 12)) + b'\0\0')),
        # 4x2, run-length 8-bit: a run, an end of line, a literal run, the end
        'rle8.pict': picture('TDIB', dib(4, 2, 8, grey, bytes([4, 1, 0, 0, 0, 4, 0, 1, 2, 3, 0, 1]), 1)),
        # a class nobody registered, and an empty picture
        'unknown.pict': picture('TMetafile', b'\0\0\0\0'),
        'empty.pict': picture('', b''),
    }


def module(channels_tag, channels, rows):
    """A one-pattern module with one short looped square-wave sample."""
    title = b'seed'.ljust(20, b'\0')
    sample = struct.pack('>22sHBBHH', b'square'.ljust(22, b'\0'), 16, 0, 64, 0, 16)
    empty = struct.pack('>22sHBBHH', bytes(22), 0, 0, 0, 0, 1)
    orders = bytes([0, 0]) + bytes(126)
    head = title + sample + empty * 30 + bytes([2, 127]) + orders + channels_tag
    pattern = bytearray(64 * channels * 4)
    for row, (period, effect, param) in enumerate(rows):
        cell = 4 * channels * row
        pattern[cell:cell + 4] = bytes([0x00 | (period >> 8), period & 0xFF, 0x10 | effect, param])
    wave = bytes([0x40] * 16 + [0xC0] * 16)
    return head + bytes(pattern) + wave


def module_seeds():
    tune = [(428, 0xC, 0x40), (381, 0, 0), (339, 0xA, 0x04), (320, 0xF, 0x03)]
    return {
        'mk4.mod': bytes([0]) + module(b'M.K.', 4, tune),
        # looping, softer ramps, and a jump back to the first order on row 4
        'mk4loop.mod': bytes([0x6]) + module(b'M.K.', 4, tune + [(0, 0xB, 0x00)]),
        'chn8.mod': bytes([0x9]) + module(b'8CHN', 8, tune),
        'short.mod': bytes([0]) + module(b'M.K.', 4, tune)[:600],
    }


def pack(program, assets):
    """A program with assets behind it, as corvane-pack writes it: the assets,
    a directory entry each (kind, 0, offset, size), a footer (version, count,
    pack size, CRC-32, 0, magic)."""
    data = b''.join(body for _, body in assets)
    directory, offset = b'', 0
    for kind, body in assets:
        directory += struct.pack('<IIQQ', kind, 0, offset, len(body))
        offset += len(body)
    head = struct.pack('<IIQ', 1, len(assets), len(data) + len(directory) + 32)
    crc = zlib.crc32(data + directory + head)
    return program + data + directory + head + struct.pack('<II', crc, 0) + b'CVNPACK\0'


def packed_seeds():
    program = b'\x7fELF' + bytes(12)
    text = b'CVNTYPER\r\n1\r\n"  hello there    "\r\n'
    # The first byte of each seed: 0 reads the file as it is, 1 sets its
    # checksum first.
    return {
        'all.pack': b'\0' + pack(program, [(2, module(b'M.K.', 4, [])[:64]), (1, text), (3, b'BM logo'), (4, b'')]),
        'text.pack': b'\0' + pack(program, [(1, text)]),
        'none.pack': b'\0' + pack(program, []),
        'twice.pack': b'\1' + pack(pack(program, [(1, text)])[:-1], [(4, b'BM')]),
    }


def write(folder, seeds):
    path = os.path.join(HERE, 'corpus', folder)
    os.makedirs(path, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(path, name), 'wb') as out:
            out.write(data)


if __name__ == '__main__':
    write('picture_data', picture_seeds())
    write('player_module', module_seeds())
    write('packed_assets', packed_seeds())
