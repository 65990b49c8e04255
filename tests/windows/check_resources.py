#!/usr/bin/env python3
"""Checks the resources of a Windows executable as the design has them: one
icon group, id 101, holding 32x32 images in 16 and in 256 colours, and no
other resource. Prints the listing; exits 1 on the first difference.

    check_resources.py build-windows/tabellone.exe [more .exe files]
"""
import struct
import sys

RT_ICON, RT_GROUP_ICON = 3, 14


def sections_and_resources(data):
    """The resource directory's file offset and its RVA, from the PE headers."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise SystemExit("not a PE file")
    count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    rva, size = struct.unpack_from("<II", data, directories + 2 * 8)   # entry 2: resources
    table = optional + optional_size
    for i in range(count):
        _, vsize, vaddr, raw_size, raw_at = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if size and vaddr <= rva < vaddr + max(vsize, raw_size):
            return raw_at + rva - vaddr, vaddr - raw_at
    return None, None


def entries(data, base, at):
    """(id or name, offset relative to base, is_directory) of one directory."""
    named, numbered = struct.unpack_from("<12xHH", data, at)
    found = []
    for i in range(named + numbered):
        key, target = struct.unpack_from("<II", data, at + 16 + 8 * i)
        if key & 0x80000000:
            length = struct.unpack_from("<H", data, base + (key & 0x7FFFFFFF))[0]
            start = base + (key & 0x7FFFFFFF) + 2
            key = data[start:start + 2 * length].decode("utf-16-le")
        found.append((key, target & 0x7FFFFFFF, bool(target & 0x80000000)))
    return found


def leaves(data, base, delta):
    """{(type, name): [(language, bytes)]} of the whole resource tree."""
    tree = {}
    for rtype, type_at, _ in entries(data, base, base):
        for name, name_at, _ in entries(data, base, base + type_at):
            for language, leaf_at, _ in entries(data, base, base + name_at):
                rva, size = struct.unpack_from("<II", data, base + leaf_at)
                tree.setdefault((rtype, name), []).append((language, data[rva - delta:rva - delta + size]))
    return tree


def main(path):
    with open(path, "rb") as f:
        data = f.read()
    base, delta = sections_and_resources(data)
    failures = []
    tree = leaves(data, base, delta) if base is not None else {}
    for (rtype, name), items in sorted(tree.items(), key=str):
        for language, body in items:
            print("type %s  name %s  language %s  %d bytes" % (rtype, name, language, len(body)))
    groups = [key for key in tree if key[0] == RT_GROUP_ICON]
    if groups != [(RT_GROUP_ICON, 101)] or len(tree[groups[0]]) != 1:
        failures.append("icon groups %s, expected exactly one, id 101" % groups)
    others = [key for key in tree if key[0] not in (RT_ICON, RT_GROUP_ICON)]
    if others:
        failures.append("other resources: %s" % others)
    if not failures:
        group = tree[groups[0]][0][1]
        _, kind, count = struct.unpack_from("<HHH", group, 0)
        members = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(count)]
        images = set()
        for w, h, colours, _, _, bits, _, icon_id in members:
            body = tree.get((RT_ICON, icon_id), [(0, b"")])[0][1]
            # The image itself: a DIB whose height counts the mask too.
            size, dib_w, dib_h, _, dib_bits = struct.unpack_from("<IiiHH", body, 0) if len(body) >= 16 else (0,) * 5
            print("  group 101 image %d: %dx%d, %d colours, %d bits; DIB %dx%d, %d bits"
                  % (icon_id, w or 256, h or 256, colours or 256, bits, dib_w, dib_h // 2, dib_bits))
            if (size, dib_w, dib_h, dib_bits) != (40, w, 2 * h, bits):
                failures.append("icon %d's image does not match its group entry" % icon_id)
            images.add((w, h, colours, bits))
        if kind != 1 or images != {(32, 32, 16, 4), (32, 32, 0, 8)} or count != 2:
            failures.append("group 101 holds %s, expected 32x32 in 16 and in 256 colours" % sorted(images))
        referenced = {m[7] for m in members}
        icons = {key[1] for key in tree if key[0] == RT_ICON}
        if icons != referenced:
            failures.append("icon images %s, the group uses %s" % (sorted(icons), sorted(referenced)))
    for failure in failures:
        print("FAIL %s: %s" % (path, failure))
    if not failures:
        print("PASS %s: one icon group, id 101, 32x32 in 16 and 256 colours, nothing else" % path)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(max(main(path) for path in sys.argv[1:]))
