#!/usr/bin/env bash
# The tests that compute on several threads, under ThreadSanitizer (gcc): the
# batch's --jobs, kestrova-cli --batch (a job per core unless told otherwise),
# and the Python package's compute_many threads (its extension built with the
# same flags, the interpreter run with libtsan preloaded). Any report fails
# the run.
#   scripts/tsan.sh [BUILD_DIR]      (default build/tsan)
set -euo pipefail
cd "$(dirname "$0")/.."

dir=$(realpath -m "${1:-build/tsan}")
package=$dir/python-package
jobs=$(nproc)
export TSAN_OPTIONS=halt_on_error=1
cmake --preset tsan -B "$dir" -DKESTROVA_PYTHON=ON -DPython_EXECUTABLE=/usr/bin/python3 \
  -DKESTROVA_PYTHON_OUTPUT_DIR="$package/kestrova" >/dev/null
cmake --build "$dir" -j "$jobs" --target batch_tests cli_tests kestrova-cli _kestrova >/dev/null
ctest --test-dir "$dir" --output-on-failure -j "$jobs" -R '^(Batch\.Jobs|OutputFileTest\.|cli_batch_end_to_end$)'

# The package as installed: its Python files beside the extension just built.
cp python/kestrova/*.py python/kestrova/*.pyi python/kestrova/py.typed "$package/kestrova/"
cd python/tests
LD_PRELOAD=$(gcc -print-file-name=libtsan.so) KESTROVA_CLI=$dir/cli/kestrova-cli PYTHONPATH=$package \
  /usr/bin/python3 -m pytest -q -p no:cacheprovider -k threads
