#!/usr/bin/env bash
# Packs a Windows build into the release files:
#
#   bash scripts/package.sh BUILD_DIR OUT_DIR PAGE
#
# BUILD_DIR is a Release build of kestrova_app and kestrova-cli (the windows
# preset), PAGE the browser page kestrova.html (the web preset). OUT_DIR gets
# kestrova-<version>-setup.exe (the Japanese installer, installer/kestrova.nsi),
# kestrova-<version>-win64.zip (portable: both exes, the page, the user guide
# as HTML with its pictures, the licence) and SHA256SUMS. The
# version is project()'s. Nothing in the files depends on the time or on the
# paths: the zip's entries carry SOURCE_DATE_EPOCH (default: the last commit's
# time), the installer stores no file times, the exes no link time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
page=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
[ -s "$page" ] || { echo "package.sh: no browser page $3" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package.sh: no project version in $build/CMakeCache.txt" >&2; exit 1; }
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)
fi
export SOURCE_DATE_EPOCH

stage="$build/package/kestrova-$version"
rm -rf "$build/package"
mkdir -p "$stage/images"
cp "$build/app/kestrova.exe" "$build/cli/kestrova-cli.exe" "$stage/"
cp "$page" "$stage/kestrova.html"
cp "$root"/docs/ja/images/*.png "$stage/images/"

# Both exes must say what they are before they are shipped; kestrova.exe
# carries the application icon.
python3 "$root/tests/release/check_resources.py" "$stage/kestrova.exe" --name kestrova.exe --version "$version" \
  --icon >/dev/null
python3 "$root/tests/release/check_resources.py" "$stage/kestrova-cli.exe" --name kestrova-cli.exe \
  --version "$version" >/dev/null

# The guide as one HTML page, and the licence with the notices of the MinGW-w64
# runtime linked into the exes; both readable by Notepad (UTF-8 with BOM, CRLF).
/usr/bin/python3 - "$root" "$stage" <<'PY'
import sys
import markdown

root, stage = sys.argv[1], sys.argv[2]
with open(f"{root}/docs/ja/guide.md", encoding="utf-8") as f:
    body = markdown.markdown(f.read(), extensions=["tables"])
page = f"""<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="utf-8">
<title>Kestrova 利用者ガイド</title>
<style>
body {{ font-family: "Yu Gothic UI", "Meiryo", "MS PGothic", sans-serif; max-width: 52em; margin: 2em auto; padding: 0 1em; line-height: 1.6; }}
table {{ border-collapse: collapse; margin: 1em 0; }}
th, td {{ border: 1px solid #999; padding: 0.3em 0.6em; vertical-align: top; }}
th {{ background: #eee; }}
code, pre {{ font-family: Consolas, "MS Gothic", monospace; background: #f4f4f4; }}
pre {{ padding: 0.6em; overflow-x: auto; }}
</style>
</head>
<body>
{body}
</body>
</html>
"""
with open(f"{stage}/kestrova-guide-ja.html", "w", encoding="utf-8", newline="\r\n") as f:
    f.write(page)

with open(f"{root}/LICENSE.txt", encoding="utf-8") as f:
    licence = f.read()


def add_notice(heading, path=None, text=""):
    """Appends a third-party notice: its heading, then the text of `path` (or `text`)."""
    global licence
    rule = "-" * 70 + "\n"
    if path is not None:
        with open(path, encoding="utf-8") as f:
            text = f.read()
    licence += "\n\n" + rule + heading + rule + "\n" + text


add_notice("Third-party notices: the exes contain parts of the MinGW-w64 runtime\n"
           "(including winpthreads) and of the GCC runtime libraries (libgcc and\n"
           "libstdc++, GPL-3.0 with the GCC Runtime Library Exception). The\n"
           "licences of the MinGW-w64 runtime follow.\n",
           "/usr/share/doc/mingw-w64-common/copyright")
add_notice("Third-party notices: kestrova.html contains parts of Emscripten's\n"
           "system libraries compiled to WebAssembly: musl libc (MIT, its\n"
           "copyright follows) and libc++/libc++abi (Apache-2.0 WITH\n"
           "LLVM-exception).\n",
           "/usr/share/emscripten/system/lib/libc/musl/COPYRIGHT")
add_notice("Third-party notices: kestrova-cli.exe and kestrova.html contain the\n"
           "GLI-2012 and GLI Global (2022) tables, copied from these public\n"
           "repositories under the MIT licence (provenance: gli/data/README.md).\n",
           f"{root}/gli/data/LICENSES.txt")
add_notice("Third-party notices: their exp, log, log1p, expm1 and erfc for the\n"
           "GLI equations follow fdlibm's methods and coefficients.\n",
           text="Copyright (C) 1993 by Sun Microsystems, Inc. All rights reserved.\n"
                "Developed at SunPro, a Sun Microsystems, Inc. business. Permission to use,\n"
                "copy, modify, and distribute this software is freely granted, provided that\n"
                "this notice is preserved.\n")
with open(f"{stage}/LICENSE.txt", "w", encoding="utf-8-sig", newline="\r\n") as f:
    f.write(licence)
PY

setup="$out/kestrova-$version-setup.exe"
zip="$out/kestrova-$version-win64.zip"
rm -f "$setup" "$zip" "$out/SHA256SUMS"

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
  -DICON="$build/app/kestrova.ico" \
  "$root/installer/kestrova.nsi" >"$build/package/makensis.log" \
  || { cat "$build/package/makensis.log" >&2; exit 1; }

# The zip: entries in name order under kestrova-<version>/, each with the same
# time and mode.
python3 - "$build/package" "kestrova-$version" "$zip" <<'PY'
import os
import sys
import time
import zipfile

base, top, target = sys.argv[1:4]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
paths = []
for folder, dirs, files in os.walk(os.path.join(base, top)):
    paths += [os.path.join(folder, name) for name in files]
with zipfile.ZipFile(target, "w") as archive:
    for path in sorted(paths):
        name = os.path.relpath(path, base).replace(os.sep, "/")
        info = zipfile.ZipInfo(name, date_time=stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        info.create_system = 0
        with open(path, "rb") as f:
            archive.writestr(info, f.read(), compresslevel=9)
PY

(cd "$out" && sha256sum "$(basename "$setup")" "$(basename "$zip")" >SHA256SUMS)
cat "$out/SHA256SUMS"
