"""compute_many's threads, its GLI columns against kestrova-cli --batch --gli,
and compute_frame on a clinic's Shift-JIS file. (Every cell of every input kind
against kestrova-cli --batch: tests/surfaces.)"""

import io

import numpy as np
import pandas as pd

import kestrova
from conftest import ENGLISH, JAPANESE, patients, run_cli, write_csv


def test_threads_give_identical_arrays(batch_files):
    frame = pd.read_csv(batch_files[0], dtype=str, keep_default_na=False)
    args = [frame[c].to_numpy() for c in ENGLISH[1:]]
    one = kestrova.compute_many(*args, threads=1)
    two = kestrova.compute_many(*args, threads=2)
    assert list(one) == ["error", "sexCode"] + [name for name, _ in kestrova.RESULT_COLUMNS]
    for name in one:
        assert one[name].dtype == two[name].dtype, name
        np.testing.assert_array_equal(one[name], two[name], err_msg=name)
    numbers = kestrova.compute_many(*args, texts=False, threads=2)
    assert set(numbers) == {"error", "sexCode"} | {n for n, kind in kestrova.RESULT_COLUMNS if kind != "text"}


def test_japanese_headers_in_shift_jis(tmp_path):
    rows = patients(2_000, seed=7)
    write_csv(tmp_path / "en.csv", ENGLISH, rows)
    write_csv(tmp_path / "ja.csv", JAPANESE, rows, encoding="cp932")
    english = kestrova.compute_frame(pd.read_csv(tmp_path / "en.csv"))
    japanese = kestrova.compute_frame(pd.read_csv(tmp_path / "ja.csv", encoding="cp932"))
    results = ["error", "sexCode"] + [name for name, _ in kestrova.RESULT_COLUMNS]
    pd.testing.assert_frame_equal(english[results], japanese[results])
    assert list(japanese.columns[:7]) == JAPANESE  # the input columns pass through


def test_gli_columns_equal_the_batch(batch_files):
    source = batch_files[0]
    done = run_cli("--batch", str(source), "--gli", "global,2012")
    assert done.returncode == 2, done.stderr
    cli = pd.read_csv(io.BytesIO(done.stdout), dtype=str, keep_default_na=False)
    inputs = pd.read_csv(source, dtype=str, keep_default_na=False)
    r = kestrova.compute_many(*[inputs[c].to_numpy() for c in ENGLISH[1:]], gli=("global", "2012"))
    names = [name for name, _ in kestrova.GLI_COLUMNS]
    assert list(r)[-len(names):] == names == list(cli.columns[-len(names):])
    for name, kind in kestrova.GLI_COLUMNS:
        texts = cli[name]
        if kind == "text":
            expected = np.array([t if t else None for t in texts], dtype=object)
        else:
            expected = np.array([float(t) if t else np.nan for t in texts])
        np.testing.assert_array_equal(r[name], expected, err_msg=name)
