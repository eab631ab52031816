"""Peak memory of kestrova.compute_frame on generated patients (default
1,000,000), against the memory of its input and of the columns it adds:
the peak of Python's and NumPy's allocations (tracemalloc) and the peak
resident size of the process (VmHWM, reset before the call), each beyond
what the process held before it. Run with the package installed, e.g.
    bash scripts/python-test.sh && build/python-venv/bin/python bench/python_memory.py [ROWS]
"""

import sys
import tracemalloc

import numpy as np
import pandas as pd

import kestrova

rows = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
rng = np.random.default_rng(20261208)
fvc = np.round(2 + rng.random(rows) * 3, 2)
df = pd.DataFrame({
    "sex": rng.choice(np.array(["M", "F"], dtype=object), rows),
    "age": rng.integers(18, 95, rows).astype(np.float64),
    "height": rng.integers(140, 195, rows).astype(np.float64),
    "vc": np.round(fvc + rng.random(rows) * 0.3, 2),
    "fvc": fvc,
    "fev1": np.round(fvc * (0.6 + rng.random(rows) * 0.3), 2),
})  # fmt: skip
MB = 1 << 20


def status(key):
    with open("/proc/self/status", encoding="ascii") as f:
        return next(int(line.split()[1]) * 1024 for line in f if line.startswith(key + ":"))


def call():
    return kestrova.compute_frame(df, threads=2)


kestrova.compute_frame(df.head(1000))  # imports pandas' parts before the measurement
with open("/proc/self/clear_refs", "w", encoding="ascii") as f:
    f.write("5")  # resets VmHWM to the present resident size
before = status("VmRSS")
result = call()
rss_peak = status("VmHWM") - before
del result

tracemalloc.start()
base = tracemalloc.get_traced_memory()[0]
result = call()
traced_peak = tracemalloc.get_traced_memory()[1] - base
tracemalloc.stop()

inputs = df.memory_usage(index=False).sum()
added = result.memory_usage(index=False).sum() - inputs  # the arrays, not the few shared str
print(f"{rows:,} rows: input {inputs / MB:.0f} MB, added columns {added / MB:.0f} MB")
for what, peak in [("traced", traced_peak), ("resident", rss_peak)]:
    print(f"{what} peak: {peak / MB:.0f} MB beyond the input; input + peak = "
          f"{(inputs + peak) / (inputs + added):.2f} x (input + added columns) (goal: at most 1.20)")
