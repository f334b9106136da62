#!/usr/bin/env python3
"""extract_vmlinux.py BZIMAGE VMLINUX: writes the uncompressed kernel (an ELF file) that
a bzImage carries, xz or gzip compressed, so that qemu can boot it through its PVH entry."""
import lzma
import sys
import zlib

image = open(sys.argv[1], "rb").read()
streams = ((b"\xfd7zXZ\x00", lzma.LZMADecompressor),
           (b"\x1f\x8b\x08", lambda: zlib.decompressobj(16 + zlib.MAX_WBITS)))
for magic, decompressor in streams:
    at = image.find(magic)
    while at >= 0:
        try:
            elf = decompressor().decompress(image[at:])
        except (lzma.LZMAError, zlib.error):
            elf = b""
        if elf[:4] == b"\x7fELF":
            open(sys.argv[2], "wb").write(elf)
            sys.exit(0)
        at = image.find(magic, at + 1)
sys.exit("no xz or gzip compressed kernel inside " + sys.argv[1])
