"""compute_frame and compute_many against kestrova-cli --batch, cell for cell."""

import math

import numpy as np
import pandas as pd
import pytest

import kestrova
from conftest import ENGLISH, JAPANESE, patients, write_csv


def batch_csv(path):
    return pd.read_csv(path, dtype=str, keep_default_na=False)


def expected_column(texts, kind):
    """What a reader of the batch CSV gets from its texts."""
    if kind == "number":
        return np.array([float(t) if t else math.nan for t in texts])
    if kind == "flag":
        return np.array([t == "1" for t in texts])
    return np.array(texts, dtype=object)


def test_every_cell_equals_the_batch_csv(batch_files):
    source, out = batch_files
    expected = batch_csv(out)
    got = kestrova.compute_frame(pd.read_csv(source))
    assert len(got) == len(expected) == 10_000
    assert list(got["id"]) == list(expected["id"])
    assert list(got["error"].str.len() > 0).count(True) == 11
    assert list(got["error"]) == list(expected["error"])
    for name, kind in kestrova.RESULT_COLUMNS:
        want = expected_column(list(expected[name]), kind)
        have = got[name].to_numpy()
        if kind == "number":
            assert have.dtype == np.float64, name
            mismatch = ~((have == want) | (np.isnan(have) & np.isnan(want)))
        else:
            mismatch = have != want
        assert not mismatch.any(), (name, expected[name][mismatch].head().tolist(), have[mismatch][:5].tolist())


def test_threads_give_identical_arrays(batch_files):
    frame = pd.read_csv(batch_files[0], dtype=str, keep_default_na=False)
    args = [frame[c].to_numpy() for c in ENGLISH[1:]]
    one = kestrova.compute_many(*args, threads=1)
    two = kestrova.compute_many(*args, threads=2)
    assert list(one) == ["error"] + [name for name, _ in kestrova.RESULT_COLUMNS]
    for name in one:
        assert one[name].dtype == two[name].dtype, name
        np.testing.assert_array_equal(one[name], two[name], err_msg=name)
    numbers = kestrova.compute_many(*args, texts=False, threads=2)
    assert set(numbers) == {"error"} | {n for n, kind in kestrova.RESULT_COLUMNS if kind != "text"}


def test_japanese_headers_in_shift_jis(tmp_path):
    rows = patients(2_000, seed=7)
    write_csv(tmp_path / "en.csv", ENGLISH, rows)
    write_csv(tmp_path / "ja.csv", JAPANESE, rows, encoding="cp932")
    english = kestrova.compute_frame(pd.read_csv(tmp_path / "en.csv"))
    japanese = kestrova.compute_frame(pd.read_csv(tmp_path / "ja.csv", encoding="cp932"))
    results = ["error"] + [name for name, _ in kestrova.RESULT_COLUMNS]
    pd.testing.assert_frame_equal(english[results], japanese[results])
    assert list(japanese.columns[:7]) == JAPANESE  # the input columns pass through
