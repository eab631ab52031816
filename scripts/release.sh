#!/usr/bin/env bash
# Builds the Windows release from a clean tree and writes it to dist/:
#
#   bash scripts/release.sh [OUT_DIR]      (default dist/)
#
# kestrova-<version>-setup.exe (Japanese installer), kestrova-<version>-win64.zip
# (portable), both with the browser page kestrova.html, and SHA256SUMS. The tree is built twice, from two clean copies
# at different paths (the committed files, plus any uncommitted changes to
# them); the two builds must give identical files, or the release fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${1:-dist}

bash scripts/install-deps.sh

# The tree to build: HEAD, or HEAD with the changes to tracked files.
rev=$(git stash create)
if [ -n "$rev" ]; then
  echo "release: building uncommitted changes too (the release matches no commit)" >&2
else
  rev=$(git rev-parse HEAD)  # fixed now: a commit made meanwhile must not reach the second build
fi
if [ -n "$(git ls-files --others --exclude-standard)" ]; then
  echo "release: untracked files are not part of the release" >&2
fi
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-release.XXXXXX")
trap 'rm -rf "$work"' EXIT

# build_from DIR: a clean copy of the tree in DIR, its Windows Release build
# (the program and the CLI only) and its release files in DIR/out.
build_from() {
  local src=$1
  mkdir -p "$src"
  git archive "$rev" | tar -x -C "$src"
  (
    cd "$src"
    cmake --preset windows -DKESTROVA_TESTS=OFF -DKESTROVA_BENCHMARKS=OFF >/dev/null
    cmake --build --preset windows -j "$(nproc)" --target kestrova_app kestrova-cli >/dev/null
    cmake --preset web >/dev/null
    cmake --build --preset web -j "$(nproc)" >/dev/null
    bash scripts/package.sh build/windows out build/web/web/kestrova.html >/dev/null
  )
}

build_from "$work/a/kestrova"
build_from "$work/second/copy/of/the/tree/kestrova-src"

if ! cmp -s "$work/a/kestrova/out/SHA256SUMS" "$work/second/copy/of/the/tree/kestrova-src/out/SHA256SUMS"; then
  echo "release: the two builds differ:" >&2
  diff "$work/a/kestrova/out/SHA256SUMS" "$work/second/copy/of/the/tree/kestrova-src/out/SHA256SUMS" >&2 || true
  exit 1
fi
echo "release: two builds from different paths are identical"

mkdir -p "$out"
rm -f "$out"/kestrova-*-setup.exe "$out"/kestrova-*-win64.zip "$out/SHA256SUMS"
cp "$work/a/kestrova/out/"* "$out/"
(cd "$out" && sha256sum -c --quiet SHA256SUMS)
echo "release: $(cd "$out" && pwd)"
sed 's/^/  /' "$out/SHA256SUMS"
