#!/usr/bin/env python3
"""Reads the version information, the manifest and the icon back out of a Windows exe.

  check_resources.py EXE --name kestrova.exe --version 26 [--icon] [--same-icons-as OTHER.exe]

The resources are extracted with icoutils' wrestool (--raw) and parsed here:
the VS_VERSIONINFO tree (fixed file info, the Japanese string table 041104B0,
the translation 0x0411/1200) and the manifest XML (asInvoker, supportedOS,
neither common controls 6 nor DPI awareness). With --icon, the application
icon too: icon group 1 with a 32-bit image at each of 16, 24, 32, 48, 64 and
256 pixels (the largest as PNG), every image present with the size its group
entry gives; with --same-icons-as, OTHER.exe (the installer) must carry
exactly the same icon images. Wine does not validate a manifest, so this is where a broken one
shows. Prints what it read; exits 1
with the reasons when something is wrong.
"""
import argparse
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24
ICON_SIZES = [16, 24, 32, 48, 64, 256]


def extract(exe, resource_type, name=None):
    command = ["wrestool", "-x", "--raw", "-t", str(resource_type)]
    if name is not None:
        command += ["-n", str(name)]
    out = subprocess.run(command + [exe], check=False, capture_output=True)
    return out.stdout


def icon_images(exe):
    """Every icon image (RT_ICON) of `exe`, sorted."""
    listing = subprocess.run(["wrestool", "-l", "-t", str(RT_ICON), exe], check=False, capture_output=True,
                             text=True).stdout
    names = re.findall(r"--name=(\S+)", listing)
    return sorted(extract(exe, RT_ICON, name.strip("'")) for name in names)


def check_icon(exe, problems):
    """Icon group 1 and its images; returns the sizes found."""
    group = extract(exe, RT_GROUP_ICON, 1)
    if len(group) < 6:
        problems.append("no icon group 1")
        return []
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    if reserved != 0 or kind != 1 or len(group) != 6 + 14 * count:
        problems.append(f"icon group 1 is malformed ({len(group)} bytes, {count} entries)")
        return []
    sizes = []
    for i in range(count):
        width, height, _, _, _, bits, length, image_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        size = width or 256
        sizes.append(size)
        if height != width or bits != 32:
            problems.append(f"icon image {size}: {width}x{height}, {bits} bits; want square, 32 bits")
        image = extract(exe, RT_ICON, image_id)
        if len(image) != length:
            problems.append(f"icon image {size}: {len(image)} bytes, its group entry says {length}")
        elif size == 256 and not image.startswith(b"\x89PNG"):
            problems.append("icon image 256 is not a PNG")
    if sorted(sizes) != ICON_SIZES:
        problems.append(f"icon sizes {sorted(sizes)}, want {ICON_SIZES}")
    return sorted(sizes)


def align4(offset):
    return (offset + 3) & ~3


def parse_node(buf, offset):
    """One node of the version tree: (key, value bytes, children, end offset)."""
    length, value_length, value_type = struct.unpack_from("<HHH", buf, offset)
    end = offset + length
    p = offset + 6
    start = p
    while buf[p:p + 2] != b"\0\0":
        p += 2
    key = buf[start:p].decode("utf-16-le")
    p = align4(p + 2)
    value_bytes = value_length * 2 if value_type == 1 else value_length
    value = buf[p:p + value_bytes]
    p = align4(p + value_bytes)
    children = []
    while p < end:
        child = parse_node(buf, p)
        children.append(child)
        p = align4(child[3])
    return key, value, children, end


def read_version(buf):
    key, value, children, _ = parse_node(buf, 0)
    if key != "VS_VERSION_INFO":
        raise ValueError(f"root key {key!r}")
    signature, _, ms, ls, pms, pls = struct.unpack_from("<IIIIII", value, 0)
    if signature != 0xFEEF04BD:
        raise ValueError("no VS_FIXEDFILEINFO")
    fixed = {
        "file": (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF),
        "product": (pms >> 16, pms & 0xFFFF, pls >> 16, pls & 0xFFFF),
    }
    tables, translations = {}, []
    for child_key, _, grandchildren, _ in children:
        if child_key == "StringFileInfo":
            for table_key, _, strings, _ in grandchildren:
                tables[table_key] = {
                    k: v.decode("utf-16-le").rstrip("\0") for k, v, _, _ in strings}
        elif child_key == "VarFileInfo":
            for var_key, var_value, _, _ in grandchildren:
                if var_key == "Translation":
                    translations += [struct.unpack_from("<HH", var_value, i)
                                     for i in range(0, len(var_value), 4)]
    return fixed, tables, translations


def check_manifest(text, version_quad, problems):
    try:
        root = ET.fromstring(text)
    except ET.ParseError as error:
        problems.append(f"manifest is not well-formed XML: {error}")
        return
    v1 = "{urn:schemas-microsoft-com:asm.v1}"
    if root.tag != v1 + "assembly" or root.get("manifestVersion") != "1.0":
        problems.append("manifest root is not <assembly manifestVersion=\"1.0\">")
    identity = root.find(v1 + "assemblyIdentity")
    if identity is None or identity.get("version") != version_quad:
        problems.append(f"manifest assemblyIdentity version is not {version_quad}")
    levels = [e.get("level") for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        problems.append(f"requestedExecutionLevel {levels}, want ['asInvoker']")
    if not [e for e in root.iter() if e.tag.endswith("}supportedOS") and e.get("Id")]:
        problems.append("no supportedOS")
    for e in root.iter():
        local = e.tag.split("}")[-1]
        if local in ("dpiAware", "dpiAwareness"):
            problems.append(f"manifest declares {local}: the layout would be clipped on high-DPI screens")
        if local == "assemblyIdentity" and "Common-Controls" in (e.get("name") or ""):
            problems.append("manifest asks for common controls 6: visual styles would change the look")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("--name", required=True, help="expected OriginalFilename")
    parser.add_argument("--version", required=True, help="the project version, e.g. 26")
    parser.add_argument("--icon", action="store_true", help="the exe must carry the application icon")
    parser.add_argument("--same-icons-as", help="another exe that must carry the same icon images")
    args = parser.parse_args()

    parts = [int(p) for p in args.version.split(".")] + [0, 0, 0]
    quad = tuple(parts[:4])
    quad_text = ".".join(str(p) for p in quad)
    problems = []

    buf = extract(args.exe, RT_VERSION)
    if not buf:
        print(f"{args.exe}: no version resource", file=sys.stderr)
        return 1
    fixed, tables, translations = read_version(buf)
    if fixed["file"] != quad or fixed["product"] != quad:
        problems.append(f"fixed file/product version {fixed}, want {quad}")
    if translations != [(0x0411, 1200)]:
        problems.append(f"Translation {translations}, want [(0x0411, 1200)]")
    strings = tables.get("041104B0") or tables.get("041104b0")
    if strings is None:
        problems.append(f"no Japanese string table 041104B0 (tables: {list(tables)})")
        strings = {}
    want = {
        "FileVersion": quad_text,
        "ProductVersion": args.version,
        "ProductName": "Kestrova",
        "OriginalFilename": args.name,
    }
    for key, value in want.items():
        if strings.get(key) != value:
            problems.append(f"{key} {strings.get(key)!r}, want {value!r}")
    for key in ("FileDescription", "CompanyName", "LegalCopyright"):
        if not strings.get(key):
            problems.append(f"{key} missing or empty")
    description = strings.get("FileDescription", "")
    if not any("\u3040" <= c <= "\u30ff" or "\u4e00" <= c <= "\u9fff" for c in description):
        problems.append(f"FileDescription {description!r} has no Japanese text")
    for key, value in sorted(strings.items()):
        print(f"{args.name}: {key} = {value}")

    manifest = extract(args.exe, RT_MANIFEST)
    if not manifest:
        problems.append("no manifest resource")
    else:
        check_manifest(manifest, quad_text, problems)
        print(f"{args.name}: manifest {len(manifest)} bytes, well-formed, asInvoker, supportedOS")

    if args.icon:
        sizes = check_icon(args.exe, problems)
        print(f"{args.name}: icon group 1, sizes {sizes}")
    if args.same_icons_as:
        if icon_images(args.same_icons_as) != icon_images(args.exe):
            problems.append(f"{args.same_icons_as} does not carry the same icon images")
        else:
            print(f"{args.name}: {args.same_icons_as} carries the same icon images")

    for problem in problems:
        print(f"{args.exe}: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
