"""Times kestrova.compute_many on generated patients (default 1,000,000) and
prints patients per second: numbers only (texts=False) with one and two
threads, then with the texts. Run with the package installed, e.g.
    bash scripts/python-test.sh && build/python-venv/bin/python bench/python_throughput.py [ROWS]
"""

import os
import sys
import time

import numpy as np

import kestrova

rows = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
rng = np.random.default_rng(20261207)
sex = rng.choice(np.array(["M", "F"], dtype=object), rows)
age = rng.integers(18, 95, rows).astype(np.float64)
height = rng.integers(140, 195, rows).astype(np.float64)
fvc = np.round(2 + rng.random(rows) * 3, 2)
vc = np.round(fvc + rng.random(rows) * 0.3, 2)
fev1 = np.round(fvc * (0.6 + rng.random(rows) * 0.3), 2)
vc[::50] = fvc[::50] = fev1[::50] = np.nan  # every 50th without volumes


def timed(texts, threads):
    """(wall seconds, user CPU seconds, system CPU seconds) of this process"""
    start, before = time.perf_counter(), os.times()
    result = kestrova.compute_many(sex, age, height, vc, fvc, fev1, texts=texts, threads=threads)
    seconds, after = time.perf_counter() - start, os.times()
    assert len(result["error"]) == rows and not any(result["error"])
    return seconds, after.user - before.user, after.system - before.system


# The best of three runs, wall and CPU time each on its own; the CPU time per
# patient shows what a busy machine hides (other processes' share of the
# cores). The system part is mostly the kernel clearing the result arrays'
# fresh pages (about 500 bytes per patient): it varies with the machine's
# memory (in a virtual machine, with what the host has taken back).
goals = {(False, 2): " (goal 1,000,000)"}
for texts, threads in [(False, 1), (False, 2), (True, 2)]:
    runs = [timed(texts, threads) for _ in range(3)]
    seconds = min(r[0] for r in runs)
    _, user, system = min(runs, key=lambda r: r[1] + r[2])  # the run of least CPU time
    print(f"texts={texts} threads={threads}: {rows / seconds:,.0f} patients per second"
          f"{goals.get((texts, threads), '')}, {(user + system) / rows * 1e6:.2f} us CPU per patient"
          f" ({user / rows * 1e6:.2f} user, {system / rows * 1e6:.2f} system)")
