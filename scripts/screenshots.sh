#!/usr/bin/env bash
# Regenerates the screenshots committed under docs/: the window in the README
# and the pictures of the Japanese user guide. They are taken by the end-to-end
# tests of the real window under Wine (the test run leaves them in
# build/windows/screenshots/) and, for the browser page, by its browser tests
# (build/web/screenshots/); this script runs those tests and copies them.
#
#   bash scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target kestrova_e2e >/dev/null

shots=build/windows/screenshots
rm -f "$shots"/kestrova-system-menu.png "$shots"/kestrova-female-45.png "$shots"/kestrova-male-60-low.png "$shots"/kestrova-vc-range-message.png
ctest --preset windows -R 'e2e\.prefix\.1920x1080|Panel\.CellsAreRedWhereTheirRulesFlag|FieldChecks\.VolumeOutOfRangeShowsItsRangeMessage|SystemMenu\.EmptyPanelGreysTheResultItems' >/dev/null

# test screenshot -> file under docs/
copy() {
  cp "$shots/$1" "$2"
  echo "$2"
}
copy kestrova-female-45.png docs/kestrova-window.png
copy kestrova-female-45.png docs/ja/images/window-normal.png
copy kestrova-male-60-low.png docs/ja/images/window-red-cells.png
copy kestrova-vc-range-message.png docs/ja/images/window-range-message.png
copy kestrova-system-menu.png docs/ja/images/window-system-menu.png

# The browser page (README and guide), from its browser tests.
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target kestrova-cli >/dev/null
bash tests/web/run.sh >/dev/null
cp build/web/screenshots/kestrova-web.png docs/ja/images/web-page.png
echo docs/ja/images/web-page.png

# The captures are stored uncompressed; recompress them (same pixels) so the
# repository stays small.
python3 - docs/kestrova-window.png docs/ja/images/*.png <<'PY'
import struct
import sys
import zlib

for path in sys.argv[1:]:
    data = open(path, "rb").read()
    pos, chunks, idat = 8, [], b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IDAT":
            idat += body
            if not any(k == b"IDAT" for k, _ in chunks):
                chunks.append((b"IDAT", None))
        else:
            chunks.append((kind, body))
    packed = zlib.compress(zlib.decompress(idat), 9)
    out = data[:8]
    for kind, body in chunks:
        body = packed if kind == b"IDAT" else body
        out += struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    open(path, "wb").write(out)
PY
