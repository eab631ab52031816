"""One patient, one result on every surface.

Generated patients (boundary ages, heights and volumes; every sex spelling;
values the input rule refuses) go through every route from what was typed to
the calculation:

* kestrova-cli --batch (a CSV of texts), the reference;
* kestrova-cli for one patient (--format csv, --format json);
* Python: compute_many on texts, float64, float32, pandas categoricals and
  pandas' nullable numbers with pd.NA; compute() for one patient;
* the page's JavaScript API (tests/web/api_node.mjs, the page's own script
  and module under Node), with JSON strings and numbers.

Every route must give the batch's result columns and error text, and the same
JSON. Run by tests/surfaces/run.sh after the native, web and Python builds:

    KESTROVA_CLI=… KESTROVA_WASM=… python -m pytest tests/surfaces
"""

import csv
import json
import os
import random
import subprocess
from pathlib import Path

import numpy as np
import pandas as pd
import pytest

import kestrova

ROOT = Path(__file__).resolve().parents[2]
CLI = Path(os.environ.get("KESTROVA_CLI", ROOT / "build/native/cli/kestrova-cli"))
WASM = os.environ.get("KESTROVA_WASM", "")
NODE_RUNNER = ROOT / "tests/web/api_node.mjs"

VALUES = ["sex", "age", "height", "vc", "fvc", "fev1"]
KEYS = ["/Sex=", "/Age=", "/Setake=", "/VC=", "/FVC=", "/FEV1="]

MALE = ["M", "m", "1", "男", "男性", "Ｍ", "ｍ"]
FEMALE = ["F", "f", "2", "女", "女性", "Ｆ", "ｆ"]
# Each equation's age and height limits, and the input limits, on both sides.
AGES = [3, 10, 16, 16.99, 17, 17.5, 18, 40, 45.9, 60, 90.99, 91, 93.99, 94, 95, 95.99, 96, 150]
HEIGHTS = [99.9, 100, 105, 109.9, 110, 119.9, 120, 140, 156.4, 160, 170, 190, 190.1, 272]
VOLUMES = [0.5, 0.99, 1, 1.16, 2.05, 2.31, 2.6, 2.89, 3.04, 3.39, 4.2, 15]
# Texts the rule refuses or reads specially: one value each, in a valid patient.
ODD_TEXTS = {
    "sex": ["", "X", "male", "MF", " F "],
    "age": ["", "0", "-45", "150.01", "1e21", "45 /VC=9", "４５", "forty", "+45", "45歳"],
    "height": ["", "273", "1,70", "１７０．５", " 170 ", "170cm", "170 ｃｍ", "170L"],
    "vc": ["3,1", "-1", "15.01", "3100", "３．１", ".5", "abc", "3.1 L", "3100 mL"],
    "fvc": ["-0", "3.", "2.9.1"],
    "fev1": ["１．８", "2,4", "16"],
}


def text_of(number):
    """The shortest decimal of a double, as every route writes a number."""
    text = repr(float(number))
    return text[:-2] if text.endswith(".0") else text


def generate(count=360, seed=25):
    """Patients as six texts each, and whether every number among them is a
    plain decimal (so that the numeric routes can carry them)."""
    rng = random.Random(seed)
    patients = []
    for i in range(count):
        sex = rng.choice(MALE if i % 2 == 0 else FEMALE)
        age = text_of(AGES[i % len(AGES)] if i % 3 else round(rng.uniform(3, 99), rng.choice([0, 1, 2])))
        height = text_of(HEIGHTS[i % len(HEIGHTS)] if i % 4 else round(rng.uniform(100, 200), rng.choice([0, 1])))
        fvc = rng.choice(VOLUMES) if i % 5 == 0 else round(rng.uniform(0.8, 6), 2)
        vc = round(fvc * rng.uniform(0.9, 1.15), 2)
        fev1 = round(fvc * rng.uniform(0.4, 1.1), rng.choice([2, 3]))
        texts = [sex, age, height] + [text_of(v) if rng.random() > 0.12 else "" for v in (vc, fvc, fev1)]
        patients.append((texts, True))
    for v, name in enumerate(VALUES):  # the refused and special texts
        for odd in ODD_TEXTS[name]:
            texts = ["F", "45", "160", "3.1", "3.0", "2.4"]
            texts[v] = odd
            patients.append((texts, False))
    return patients


PATIENTS = generate()
TEXTS = [texts for texts, _ in PATIENTS]
NUMERIC = [texts for texts, plain in PATIENTS if plain]


def run_cli(*args):
    return subprocess.run([str(CLI), *args], capture_output=True, check=False)


@pytest.fixture(scope="module")
def batch(tmp_path_factory):
    """The batch's rows for TEXTS: [error, result columns…] as texts."""
    work = tmp_path_factory.mktemp("surfaces")
    source = work / "patients.csv"
    with open(source, "w", encoding="utf-8", newline="") as f:
        writer = csv.writer(f, lineterminator="\n")
        writer.writerow(VALUES)
        writer.writerows(TEXTS)
    done = run_cli("--batch", str(source))
    assert done.returncode == 2, done.stderr.decode()  # some rows are refused
    rows = list(csv.reader(done.stdout.decode("utf-8").splitlines()))
    assert rows[0][6:] == ["error"] + [name for name, _ in kestrova.RESULT_COLUMNS]
    assert len(rows) == len(TEXTS) + 1
    return [row[6:] for row in rows[1:]]


def cli_words(texts):
    return [key + text for key, text in zip(KEYS, texts)]


def test_cli_one_patient_equals_the_batch(batch):
    for texts, row in zip(TEXTS, batch):
        done = run_cli("--format", "csv", *cli_words(texts))
        if row[0]:
            assert (done.returncode, done.stdout) == (2, b""), texts
            assert done.stderr.decode() == f"kestrova-cli: {row[0]}\n", texts
        else:
            assert done.returncode == 0, (texts, done.stderr)
            assert done.stdout.decode().splitlines()[1] == ",".join(row[1:]), texts


def as_batch_texts(arrays, i):
    """Row i of compute_many's arrays as the batch's texts would read back."""
    return [arrays["error"][i]] + [arrays[name][i] for name, _ in kestrova.RESULT_COLUMNS]


def assert_same_as_batch(arrays, rows, where, result_columns=kestrova.RESULT_COLUMNS):
    """A cell the batch leaves empty is missing (NaN, None or pd.NA); "error" is "" then."""
    for name, kind in [("error", "error")] + list(result_columns):
        column = 0 if name == "error" else 1 + [n for n, _ in result_columns].index(name)
        want = [row[column] for row in rows]
        have = arrays[name]
        for i, text in enumerate(want):
            if kind == "error":
                ok = have[i] == text
            elif text == "":
                ok = pd.isna(have[i])
            elif kind == "text":
                ok = have[i] == text
            else:  # a number, or a flag's 1 or 0
                ok = have[i] == float(text)
            assert ok, (where, name, TEXTS[i] if len(rows) == len(TEXTS) else NUMERIC[i], text, have[i])


def numeric_column(texts, dtype):
    return np.array([float(t) if t else np.nan for t in texts], dtype=dtype)


def test_python_arrays_of_every_kind_equal_the_batch(batch):
    columns = list(zip(*TEXTS))
    assert_same_as_batch(kestrova.compute_many(*[list(c) for c in columns]), batch, "lists of str")
    assert_same_as_batch(kestrova.compute_many(*[np.array(c) for c in columns]), batch, "str arrays")
    assert_same_as_batch(
        kestrova.compute_many(*[pd.Series(c, dtype="category") for c in columns]), batch, "str categoricals"
    )
    rows = [row for (texts, plain), row in zip(PATIENTS, batch) if plain]
    sexes = [t[0] for t in NUMERIC]
    numbers = list(zip(*NUMERIC))[1:]
    for dtype in (np.float64, np.float32):
        arrays = [numeric_column(c, dtype) for c in numbers]
        assert_same_as_batch(kestrova.compute_many(sexes, *arrays), rows, np.dtype(dtype).name)
        if dtype == np.float32 and int(pd.__version__.split(".")[0]) < 2:
            continue  # pandas 1 widens float32 categories to float64 before the package sees them
        categories = [pd.Series(a).astype("category") for a in arrays]
        assert_same_as_batch(kestrova.compute_many(sexes, *categories), rows, f"{np.dtype(dtype).name} categoricals")
    frame = pd.DataFrame({name: numeric_column(c, np.float64) for name, c in zip(VALUES[1:], numbers)})
    frame = frame.astype("Float64")  # pandas' nullable numbers: missing volumes are pd.NA
    frame.insert(0, "sex", sexes)
    assert_same_as_batch(kestrova.compute_frame(frame), rows, "pandas Float64 with NA")


def typed(texts, plain, i):
    """The patient as the page's API takes it: numbers where the texts are
    plain numbers (every other patient), strings otherwise; a sex code as a
    number now and then; missing values left out or null."""
    patient = {}
    for v, (name, text) in enumerate(zip(VALUES, texts)):
        if text == "" and plain:
            if i % 3 == 0:
                patient[name] = None
            continue
        if v == 0 and text in ("1", "2") and i % 2 == 0:
            patient[name] = int(text)
        elif v > 0 and plain and i % 2 == 0:
            patient[name] = float(text)
        else:
            patient[name] = text
    return patient


def test_json_and_errors_are_the_same_everywhere(batch, tmp_path):
    if not WASM:
        pytest.skip("KESTROVA_WASM is not set: build the web preset (tests/surfaces/run.sh does)")
    patients = [typed(texts, plain, i) for i, (texts, plain) in enumerate(PATIENTS)]
    source = tmp_path / "patients.json"
    source.write_text(json.dumps(patients, ensure_ascii=False), encoding="utf-8")
    out = tmp_path / "js.json"
    subprocess.run(["node", str(NODE_RUNNER), WASM, str(source), str(out)], check=True)
    from_js = json.loads(out.read_text(encoding="utf-8"))
    assert len(from_js) == len(patients)
    for i, (texts, row) in enumerate(zip(TEXTS, batch)):
        args = [patients[i].get(name) for name in VALUES]
        if row[0]:
            with pytest.raises(ValueError) as refused:
                kestrova.compute(*args)
            assert str(refused.value) == row[0], texts
            assert (from_js[i]["ok"], from_js[i]["error"]) == (False, row[0]), texts
            continue
        done = run_cli("--format", "json", *cli_words(texts))
        assert done.returncode == 0, (texts, done.stderr)
        want = json.loads(done.stdout)
        assert kestrova.compute(*args) == want, texts
        assert from_js[i] == {"ok": True, "json": want}, texts


GLI_GROUPS = ["ne-asian", "caucasian", "african-american", "se-asian", "other"]


def test_gli_is_the_same_everywhere(tmp_path):
    """Both GLI sets: the batch's GLI columns from compute_many, and one
    patient's JSON from kestrova-cli, compute() and the page's API, to the
    last bit of every unrounded number (children and the oldest included)."""
    source = tmp_path / "patients.csv"
    with open(source, "w", encoding="utf-8", newline="") as f:
        csv.writer(f, lineterminator="\n").writerows([VALUES] + TEXTS)
    sets = ["global", "2012"]
    done = run_cli("--batch", str(source), "--gli", ",".join(sets), "--gli-group", "se-asian")
    assert done.returncode == 2, done.stderr.decode()
    rows = [row[6:] for row in csv.reader(done.stdout.decode("utf-8").splitlines())]
    gli_columns = list(kestrova.GLI_COLUMNS)
    error_and_gli = [[row[0]] + row[1 + len(kestrova.RESULT_COLUMNS):] for row in rows[1:]]
    assert rows[0][1 + len(kestrova.RESULT_COLUMNS):] == [name for name, _ in gli_columns]
    arrays = kestrova.compute_many(*[list(c) for c in zip(*TEXTS)], gli=sets, gli_group="se-asian")
    assert_same_as_batch(arrays, error_and_gli, "compute_many gli", gli_columns)

    plain = [(i, texts) for i, (texts, ok) in enumerate(PATIENTS) if ok and not error_and_gli[i][0]]
    patients = [dict(typed(texts, True, i), gli=sets, gliGroup=GLI_GROUPS[i % 5]) for i, texts in plain]
    (tmp_path / "patients.json").write_text(json.dumps(patients, ensure_ascii=False), encoding="utf-8")
    from_js = None
    if WASM:
        out = tmp_path / "js.json"
        subprocess.run(["node", str(NODE_RUNNER), WASM, str(tmp_path / "patients.json"), str(out)], check=True)
        from_js = json.loads(out.read_text(encoding="utf-8"))
    for k, (i, texts) in enumerate(plain):
        group = GLI_GROUPS[i % 5]
        done = run_cli("--format", "json", "--gli", ",".join(sets), "--gli-group", group, *cli_words(texts))
        assert done.returncode == 0, (texts, done.stderr)
        want = json.loads(done.stdout)
        args = [patients[k].get(name) for name in VALUES]
        assert kestrova.compute(*args, gli=sets, gli_group=group) == want, texts
        if from_js is not None:
            assert from_js[k] == {"ok": True, "json": want}, texts
