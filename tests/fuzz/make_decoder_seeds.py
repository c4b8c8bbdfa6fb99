#!/usr/bin/env python3
"""Writes the seeds of the decoder harnesses (seeds/rle, lzw, fax, thunderpcd, deflate): pieces cut
from tests/fixtures/decoders behind the three set-up bytes of DecoderFuzz.h (choice, output size
16-bit little-endian), and a few streams made by hand. Run from anywhere."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "..", "fixtures", "decoders")


def fixture(name):
    with open(os.path.join(FIXTURES, name), "rb") as f:
        return f.read()


def first_piece(case):
    """The first piece of a fixture case and its unpacked size."""
    with open(os.path.join(FIXTURES, "MANIFEST")) as f:
        row = [line.split() for line in f if line.split()[0] == case][0]
    packed, unpacked = row[3].split(",")[0].split("/")
    return fixture(case + ".packed")[:int(packed)], int(unpacked)


def seed(harness, name, choice, out, data):
    folder = os.path.join(HERE, "seeds", harness)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes([choice, out & 255, out >> 8]) + data)


def bits_to_bytes(bits):
    bits = bits.replace(" ", "")
    bits += "0" * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def main():
    # rle: choices 0-4 Targa (depth 8, 16, 24, 32, 15; pixels per row: output size % 300 + 1),
    # 5 PackBits, 6 PCX, 7 and 8 SGI, 9 CUT, 10 PSP, 11 RLA
    seed("rle", "targa24", 2, 47, fixture("ppmtotga_24.packed")[:1500])
    seed("rle", "targa8", 0, 47, fixture("ppmtotga_8.packed")[:800])
    seed("rle", "packbits", 5, *reversed(first_piece("tiffcp_packbits")))
    seed("rle", "pcx", 6, 600, fixture("im_pcx_24.packed")[:500])
    seed("rle", "sgi8", 7, *reversed(first_piece("pnmtosgi_8")))
    seed("rle", "sgi16", 8, *reversed(first_piece("pnmtosgi_16")))
    seed("rle", "cut", 9, 3, bytes([5, 0, 0x83, 7, 2, 1, 2, 0]))
    seed("rle", "psp", 10, 5, bytes([0x83, 9, 2, 1, 2]))
    seed("rle", "rla", 11, 6, bytes([2, 5, 0xFD, 1, 2, 3]))
    # lzw: even choice TIFF, odd GIF with the minimum code size (choice / 2) % 13
    seed("lzw", "tiff", 0, *reversed(first_piece("tiffcp_lzw_rgb")))
    seed("lzw", "gif2", 5, 2000, fixture("pamtogif_two.packed"))
    seed("lzw", "gif8", 17, 1920, fixture("pillow_gif_256.packed"))
    seed("lzw", "gif3", 7, 3000, fixture("pamtogif_few.packed")[:1500])
    # fax: bit 0 group 3, bit 1 reversed bits, bit 2 word alignment, bits 3-7 rows; width 203
    seed("fax", "g3", 161, 203, fixture("tiffcp_g3_1d.packed"))
    seed("fax", "g3lsb", 163, 203, fixture("tiffcp_g3_1d_lsb.packed"))
    seed("fax", "mh", 160, 203, fixture("pillow_mh.packed"))
    seed("fax", "mhwords", 164, 203, fixture("pillow_mh_words.packed"))
    # thunderpcd: ThunderScan of width 8 pixels; Photo-CD of width 16 with a two-entry table and four
    # sync headers (the last one past the height)
    seed("thunderpcd", "thunder", 17, 64, bytes([0xC5, 0xC3, 0x03, 0x58, 0x8F, 0x47, 0x9A, 0xC0, 0x3F, 0xC7, 0x02,
                                                 0x6E] * 4))

    def byte(v):
        return format(v, "08b")

    def header(channel, row):
        return "1" * 23 + "0" + format(channel, "02b") + format(row, "013b") + "0"
    tables = byte(1) + byte(1) + "10" + "0" * 14 + byte(5) + byte(2) + "110" + "0" * 13 + byte(0xFB)
    body = header(0, 1) + "10110101010" + header(2, 3) + "1011010" + header(0, 4) + "10" + header(0, 8) + "1" * 16
    seed("thunderpcd", "pcd", 0, 15, bits_to_bytes(tables + body))
    # deflate: bit 0 reset per call, bit 1 finish, choice / 4 + 1 bytes per call
    strip, unpacked = first_piece("tiffcp_zip")
    seed("deflate", "strip", 1, unpacked, strip)
    seed("deflate", "stream_chunks", 4 * 40, 3000, fixture("tiffcp_zip.packed")[:1995])
    seed("deflate", "finish", 2 + 4 * 50, 500, strip)


if __name__ == "__main__":
    main()
