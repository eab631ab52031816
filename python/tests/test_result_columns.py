"""The output columns as data: missing cells, sexCode, their documentation,
the DataFrame built without copies, and columns= choosing them."""

import re
import tracemalloc
from typing import Any, NamedTuple

import numpy as np
import pandas as pd
import pytest

import kestrova
from conftest import ROOT
from kestrova import _column_docs

# Computed with every volume; computed with none (nothing to read); refused.
THREE = dict(sex=["M", "M", "X"], age=[40, 40, 40], height=[170, 170, 170], vc=[3.2, None, 3.2],
             fvc=[3.9, None, 3.9], fev1=[2.6, None, 2.6])  # fmt: skip


@pytest.fixture(scope="module")
def three():
    return kestrova.compute_many(**THREE, gli="global"), kestrova.compute_frame(pd.DataFrame(THREE), gli="global")


class MissingCase(NamedTuple):
    column: str
    many: list[Any]  # compute_many's values for THREE
    frame_dtype: str


MISSING_CASES = [
    MissingCase("vcJrs2014Pct", [71.4, np.nan, np.nan], "float64"),
    MissingCase("vcJrs2014Red", [1.0, 0.0, np.nan], "boolean"),  # a blank cell is not red
    MissingCase("ersAtsFev1FvcBelowLln", [1.0, np.nan, np.nan], "boolean"),  # not read without volumes
    MissingCase("ventilatoryClass", ["mixed", None, None], "string"),
    MissingCase("warnings", ["vcBelowFvc", None, None], "string"),
    MissingCase("ersAtsGliFev1FvcBelowLln", [1.0, np.nan, np.nan], "boolean"),
    MissingCase("gliGlobalFev1Z", [-1.9, np.nan, np.nan], "float64"),
    MissingCase("error", ["", "", "sex 'X' is neither M/F, 1/2 nor 男性/女性"], "string"),
]


@pytest.mark.parametrize("case", MISSING_CASES, ids=lambda c: c.column)
def test_missing_cells_are_nan_or_na(three, case):
    many, frame = three
    np.testing.assert_array_equal(many[case.column], np.array(case.many, dtype=many[case.column].dtype))
    assert str(frame[case.column].dtype) == case.frame_dtype
    assert list(frame[case.column].isna()) == list(pd.isna(case.many))
    assert [v for v in frame[case.column] if not pd.isna(v)] == [v for v in case.many if not pd.isna(v)]


def test_sex_code_is_read_from_every_spelling(three):
    r = kestrova.compute_many(["男性", "f", "2", "X"], [40] * 4, [170] * 4, columns=["sexCode"])
    np.testing.assert_array_equal(r["sexCode"], [1, 2, 2, np.nan])
    assert list(three[1]["sexCode"].astype(object)) == [1, 1, pd.NA] and three[1]["sexCode"].dtype == "Int8"


def test_every_column_is_documented_with_its_source():
    names = ["error", "sexCode"] + [name for name, _ in kestrova.RESULT_COLUMNS + kestrova.GLI_COLUMNS]
    assert list(kestrova.COLUMNS) == names and set(_column_docs.entries()) == set(names)
    kinds = {"error": "error", "sexCode": "code", **dict(kestrova.RESULT_COLUMNS + kestrova.GLI_COLUMNS)}
    assert {name: column.kind for name, column in kestrova.COLUMNS.items()} == kinds
    for column in kestrova.COLUMNS.values():
        assert column.meaning and column.equation, column
        assert column.citation == (kestrova.CITATIONS[column.source] if column.source else ""), column
    readme = (ROOT / "README.md").read_text(encoding="utf-8")
    section = re.search(r"\n## Python\n(.*?)\n## ", readme, re.S).group(1)
    assert [name for name in names if f"`{name}`" not in section] == []


def test_compute_frame_copies_no_array():
    rows = 200_000
    df = pd.DataFrame({"sex": ["M", "F"] * (rows // 2), "age": np.full(rows, 45.0), "height": np.full(rows, 160.0),
                       "fvc": np.full(rows, 3.0), "fev1": np.full(rows, 2.4)})  # fmt: skip
    tracemalloc.start()
    try:
        base = tracemalloc.get_traced_memory()[0]
        result = kestrova.compute_frame(df, threads=1)
        peak = tracemalloc.get_traced_memory()[1] - base
    finally:
        tracemalloc.stop()
    added = result.memory_usage(index=False).sum() - df.memory_usage(index=False).sum()
    assert peak <= 1.2 * added, (peak, added)
    assert np.shares_memory(result["age"].to_numpy(), df["age"].to_numpy())


def test_columns_computes_only_those_named(three):
    some = kestrova.compute_many(**THREE, columns=["fev1Z", "sexCode", "copdStage"])
    assert list(some) == ["error", "fev1Z", "sexCode", "copdStage"]
    for name, values in some.items():
        np.testing.assert_array_equal(values, three[0][name], err_msg=name)
    frame = kestrova.compute_frame(pd.DataFrame(THREE), columns=["fev1Z"])
    assert list(frame.columns) == [*THREE, "error", "fev1Z"]
    pd.testing.assert_series_equal(frame["fev1Z"], three[1]["fev1Z"])
