"""compute_many's threads, and compute_frame on a clinic's Shift-JIS file.
(Every cell of every input kind against kestrova-cli --batch: tests/surfaces.)"""

import numpy as np
import pandas as pd

import kestrova
from conftest import ENGLISH, JAPANESE, patients, write_csv


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
