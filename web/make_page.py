"""Builds kestrova.html: the page's markup with its scripts (the API, then the
form's) and the WebAssembly module (base64) written into it, so the page is one
file with nothing to fetch.

    make_page.py page.html kestrova_api.js page.js kestrova_web.wasm out.html

The output depends on the inputs alone (no time, no path): two builds of the
same sources give the same bytes.
"""
import base64
import sys

LIMIT = 1536 * 1024  # the page must stay within 1.5 MB


def main(template_path, api_path, script_path, wasm_path, out_path):
    with open(template_path, encoding="utf-8") as f:
        page = f.read()
    with open(api_path, encoding="utf-8") as f:
        api = f.read()
    with open(script_path, encoding="utf-8") as f:
        script = f.read()
    with open(wasm_path, "rb") as f:
        wasm = base64.b64encode(f.read()).decode("ascii")
    for marker in ("/*@API@*/", "/*@SCRIPT@*/", "@WASM@"):
        if page.count(marker) != 1 or api.count(marker) + script.count(marker) != 0:
            sys.exit(f"make_page.py: {marker} must appear exactly once, in {template_path}")
    # An inline script ends at the first "</script", whatever the JavaScript.
    for name, text in ((api_path, api), (script_path, script)):
        if "</script" in text.lower():
            sys.exit(f"make_page.py: {name} must not contain </script")
    page = page.replace("@WASM@", wasm).replace("/*@API@*/", api).replace("/*@SCRIPT@*/", script)
    data = page.encode("utf-8")
    if len(data) > LIMIT:
        sys.exit(f"make_page.py: {out_path} is {len(data)} bytes, above {LIMIT}")
    with open(out_path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    main(*sys.argv[1:])
