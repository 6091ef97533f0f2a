#!/usr/bin/env python3
"""Prints the entries of a folder of a FAT12/16/32 or exFAT image in the order
they stand on the disk, one name a line, read from the image's own bytes: no
driver takes part. The test of the order step checks the drivers with it.

usage: dirorder.py IMAGE [/folder/in/image]"""
import struct
import sys


class Image:
    def __init__(self, path):
        with open(path, 'rb') as f:
            self.data = f.read()

    def u8(self, at):
        return self.data[at]

    def u16(self, at):
        return struct.unpack_from('<H', self.data, at)[0]

    def u32(self, at):
        return struct.unpack_from('<I', self.data, at)[0]


def fat_folder(img, path):
    """Yields (name, is_folder, first_cluster) of a FAT folder."""
    sector = img.u16(11)
    per_cluster = img.u8(13)
    reserved = img.u16(14)
    fats = img.u8(16)
    root_entries = img.u16(17)
    sectors = img.u16(19) or img.u32(32)
    fat_size = img.u16(22) or img.u32(36)
    root_dir_sectors = (root_entries * 32 + sector - 1) // sector
    first_data = reserved + fats * fat_size + root_dir_sectors
    clusters = (sectors - first_data) // per_cluster
    kind = 12 if clusters < 4085 else 16 if clusters < 65525 else 32
    fat = reserved * sector
    cluster_bytes = sector * per_cluster

    def next_cluster(c):
        if kind == 32:
            return img.u32(fat + 4 * c) & 0x0FFFFFFF
        if kind == 16:
            return img.u16(fat + 2 * c)
        v = img.u16(fat + c + c // 2)
        return v >> 4 if c & 1 else v & 0xFFF

    end = {12: 0xFF8, 16: 0xFFF8, 32: 0x0FFFFFF8}[kind]

    def folder_bytes(c):
        if c == 0 and kind != 32:
            at = (reserved + fats * fat_size) * sector
            return img.data[at:at + root_entries * 32]
        if c == 0:
            c = img.u32(44)
        out = bytearray()
        while 2 <= c < end:
            at = (first_data + (c - 2) * per_cluster) * sector
            out += img.data[at:at + cluster_bytes]
            c = next_cluster(c)
        return bytes(out)

    def entries(raw):
        long_parts = []
        for at in range(0, len(raw), 32):
            e = raw[at:at + 32]
            if e[0] == 0:
                return
            if e[0] == 0xE5:
                long_parts = []
                continue
            if e[11] == 0x0F:  # a part of a long name, last part first
                long_parts.insert(0, e[1:11] + e[14:26] + e[28:32])
                continue
            if e[11] & 0x08:  # the volume label
                long_parts = []
                continue
            if long_parts:
                name = b''.join(long_parts).decode('utf-16-le', 'replace').split('\x00')[0]
            else:
                base = e[0:8].rstrip(b' ').decode('latin-1')
                ext = e[8:11].rstrip(b' ').decode('latin-1')
                if e[12] & 0x08:
                    base = base.lower()
                if e[12] & 0x10:
                    ext = ext.lower()
                name = base + ('.' + ext if ext else '')
            long_parts = []
            if name in ('.', '..'):
                continue
            cluster = (struct.unpack_from('<H', e, 20)[0] << 16) | struct.unpack_from('<H', e, 26)[0]
            yield name, bool(e[11] & 0x10), cluster

    cluster = 0
    for part in [p for p in path.split('/') if p]:
        for name, is_folder, first in entries(folder_bytes(cluster)):
            if is_folder and name.lower() == part.lower():
                cluster = first
                break
        else:
            sys.exit('no folder ' + part)
    return entries(folder_bytes(cluster))


def exfat_folder(img, path):
    """Yields (name, is_folder) of an exFAT folder."""
    fat = img.u32(80)
    heap = img.u32(88)
    root = img.u32(96)
    sector = 1 << img.u8(108)
    cluster_bytes = sector << img.u8(109)

    def read(first, contiguous, length):
        out = bytearray()
        c = first
        if contiguous:
            for i in range((length + cluster_bytes - 1) // cluster_bytes):
                at = heap * sector + (c + i - 2) * cluster_bytes
                out += img.data[at:at + cluster_bytes]
            return bytes(out)
        while 2 <= c < 0xFFFFFFF7:
            at = heap * sector + (c - 2) * cluster_bytes
            out += img.data[at:at + cluster_bytes]
            c = img.u32(fat * sector + 4 * c)
        return bytes(out)

    def entries(raw):
        i = 0
        while i * 32 < len(raw):
            kind = raw[i * 32]
            if kind == 0:
                return
            if kind != 0x85:  # not a file's first entry: skipped
                i += 1
                continue
            count = raw[i * 32 + 1]
            stream = raw[(i + 1) * 32:(i + 2) * 32]
            length = stream[3]
            contiguous = bool(stream[1] & 0x02)
            first, size = struct.unpack_from('<IQ', stream, 20)
            name = b''.join(raw[(i + 2 + k) * 32 + 2:(i + 3 + k) * 32] for k in range(count - 1))
            is_folder = bool(struct.unpack_from('<H', raw, i * 32 + 4)[0] & 0x10)
            yield name.decode('utf-16-le', 'replace')[:length], is_folder, (first, contiguous, size)
            i += count + 1

    data = read(root, False, 0)
    for part in [p for p in path.split('/') if p]:
        for name, is_folder, where in entries(data):
            if is_folder and name.lower() == part.lower():
                data = read(*where)
                break
        else:
            sys.exit('no folder ' + part)
    return entries(data)


def main():
    img = Image(sys.argv[1])
    path = sys.argv[2] if len(sys.argv) > 2 else '/'
    found = exfat_folder(img, path) if img.data[3:11] == b'EXFAT   ' else fat_folder(img, path)
    out = sys.stdout.buffer
    for entry in found:
        out.write(entry[0].encode('utf-8') + b'\n')


if __name__ == '__main__':
    main()
