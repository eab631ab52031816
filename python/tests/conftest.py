"""Fixtures: the native kestrova-cli (built by the test command first) and a
generated batch file of patients with its CSV of results."""

import csv
import os
import random
import subprocess
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
CLI = Path(os.environ.get("KESTROVA_CLI", ROOT / "build/native/cli/kestrova-cli"))

ENGLISH = ["id", "sex", "age", "height", "vc", "fvc", "fev1"]
JAPANESE = ["id", "性別", "年齢", "身長(cm)", "肺活量", "努力肺活量", "1秒量"]

# Rows the batch refuses, one of each kind, spread through the file.
BAD_ROWS = [
    ("X", "40", "170", "", "", ""),
    ("", "40", "170", "", "", ""),
    ("M", "", "170", "", "", ""),
    ("F", "200", "160", "", "", ""),
    ("M", "0", "170", "", "", ""),
    ("F", "-3", "160", "", "", ""),
    ("M", "abc", "170", "", "", ""),
    ("F", "40", "300", "", "", ""),
    ("M", "40", "", "", "", ""),
    ("F", "40", "160", "16", "", ""),
    ("M", "40", "170", "-1", "3", "2"),
]


def run_cli(*args, stdin=None):
    return subprocess.run([str(CLI), *args], input=stdin, capture_output=True, check=False)


def patients(count, seed=20):
    """Rows of texts: both sexes (every spelling), ages 3-99, heights 90-220 cm,
    volumes with 2 or 3 decimals or missing, and BAD_ROWS every 887th row."""
    rng = random.Random(seed)
    rows = []
    for i in range(count):
        if i % 887 == 500:
            rows.append((f"p{i}",) + BAD_ROWS[(i // 887) % len(BAD_ROWS)])
            continue
        sex = rng.choice(["M", "F", "1", "2", "男性", "女性"])
        age = str(rng.randint(3, 99)) if rng.random() < 0.8 else f"{rng.uniform(3, 99):.1f}".rstrip("0").rstrip(".")
        height = str(rng.randint(90, 220)) if rng.random() < 0.7 else f"{rng.uniform(90, 220):.1f}".rstrip("0").rstrip(".")
        fvc = rng.uniform(0.5, 6)
        volumes = [fvc * rng.uniform(0.95, 1.1), fvc, fvc * rng.uniform(0.4, 0.95)]
        texts = [f"{v:.{rng.choice([2, 3])}f}".rstrip("0").rstrip(".") for v in volumes]
        for k in range(3):
            if rng.random() < 0.15:
                texts[k] = ""
        rows.append((f"p{i}", sex, age, height, *texts))
    return rows


def write_csv(path, header, rows, encoding="utf-8"):
    with open(path, "w", encoding=encoding, newline="") as f:
        writer = csv.writer(f, lineterminator="\n")
        writer.writerow(header)
        writer.writerows(rows)


@pytest.fixture(scope="session")
def batch_files(tmp_path_factory):
    """(input CSV, the batch's output CSV) for 10,000 patients."""
    work = tmp_path_factory.mktemp("batch")
    source = work / "patients.csv"
    write_csv(source, ENGLISH, patients(10_000))
    out = work / "results.csv"
    done = run_cli("--batch", str(source), "-o", str(out))
    assert done.returncode == 2, done.stderr  # 2: some rows were refused
    return source, out
