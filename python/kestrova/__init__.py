"""Spirometry reference values with the Kestrova calculator's exact digits.

Predicted values by JRS2014 (with its lower limit of normal, z-scores and
percentiles), JRS2001 with its ratios (T) and (G), Baldwin (VC) and Berglund
(FEV1); each measured value as a percentage of its prediction, the red flags of
the calculator's window, and the clinical reading. Every number and text is the
one ``kestrova-cli`` writes for the same patient:

* :func:`compute` -- one patient, as ``kestrova-cli --format json``;
* :func:`compute_many` -- NumPy arrays, one per column of ``kestrova-cli --batch``;
* :func:`compute_frame` -- a pandas DataFrame in, the batch's columns added.

Values are read as the batch reads the texts of a CSV file: sex is "M"/"F",
1/2 or "男性"/"女性"; age (above 0, at most 150) and height (cm, above 0, at
most 272) are required; VC, FVC and FEV1 (litres, 0 to 15) are optional, and a
missing one (None, NaN, 0) means not measured. A number is read from the
shortest decimal text that gives it back (2.35 as "2.35"), so it is computed
from the digits a clinician would type.
"""

import json
import os

import numpy as np

from . import _kestrova

__version__ = _kestrova.__version__
__all__ = ["compute", "compute_many", "compute_frame", "INPUT_COLUMNS", "RESULT_COLUMNS", "__version__"]

#: The input arguments, in order: sex, age, height, vc, fvc, fev1.
INPUT_COLUMNS = tuple(_kestrova._input_columns)
#: The result columns of ``kestrova-cli --batch``, in order, as (name, kind):
#: kind "number" (float64, NaN when empty), "flag" (bool) or "text" (str).
RESULT_COLUMNS = tuple(_kestrova._result_columns)


def compute(sex, age, height, vc=0, fvc=0, fev1=0):
    """Computes one patient; returns the object ``kestrova-cli --format json`` prints.

    >>> r = compute("M", 40, 170, vc=3.2, fvc=3.9, fev1=2.6)
    >>> r["results"][0]["line"], r["results"][0]["percent"], r["jrs2014"][0]["z"]
    ('4.48 :JRS2014', 71.4, -2.88)

    Raises ValueError with the batch's error text when a value cannot be used
    ("age '200' is above 150"), TypeError for a value of another type.
    """
    return json.loads(_kestrova._compute_json([sex, age, height, vc, fvc, fev1]))


def _default_threads():
    try:
        return len(os.sched_getaffinity(0))
    except AttributeError:
        return os.cpu_count() or 1


def _threads(threads):
    if threads is None:
        return _default_threads()
    if isinstance(threads, bool) or not isinstance(threads, (int, np.integer)) or threads < 1:
        raise ValueError(f"threads must be a whole number of at least 1, not {threads!r}")
    return int(threads)


def _input_column(name, values):
    """A float64 array, or an array of objects or str, as the compiled core takes them."""
    array = np.asarray(values) if not isinstance(values, np.ndarray) else values
    if array.ndim != 1:
        raise ValueError(f"{name} must be one-dimensional (a sequence of values), not of shape {array.shape}")
    if array.dtype.kind in "iuf":
        return np.ascontiguousarray(array, dtype=np.float64)
    if array.dtype.kind == "U":  # read in place by the core as native UCS-4
        return np.ascontiguousarray(array, dtype=array.dtype.newbyteorder("="))
    if array.dtype.kind == "O":
        return np.ascontiguousarray(array)
    raise TypeError(f"{name}: cannot read values of dtype {array.dtype} (numbers, str or None)")


def compute_many(sex, age, height, vc=None, fvc=None, fev1=None, *, texts=True, threads=None):
    """Computes many patients; returns a dict of NumPy arrays, one per output column.

    Each argument is a sequence (list, NumPy array, pandas Series) of one value
    per patient, all of the same length; vc, fvc and fev1 may be None (none
    measured). Numbers, str and None are taken; NaN, None and pd.NA are missing.

    The keys are "error" and then the result columns of ``kestrova-cli --batch``
    in its order (RESULT_COLUMNS):

    * "error": the batch's error text of a row it cannot compute, else "";
    * numbers: float64, the double the CSV's text reads back as (NaN when empty);
    * flags (the ...Red columns): bool;
    * texts (the reading's keys and lungAgeYears): object arrays of str, only
      when ``texts`` is true.

    A row in error has NaN numbers, False flags and "" texts. The loop runs in
    C++ without the GIL, split over ``threads`` threads (default: every core
    this process may use).

    Raises ValueError when the lengths differ or an array is not
    one-dimensional, TypeError for a dtype that cannot be read; in both cases
    before anything is computed.
    """
    threads = _threads(threads)
    arguments = dict(zip(INPUT_COLUMNS, (sex, age, height, vc, fvc, fev1)))
    columns = []
    rows = None
    for name, values in arguments.items():
        if values is None and name in ("vc", "fvc", "fev1"):
            columns.append(None)
            continue
        if values is None:
            raise TypeError(f"{name} is required")
        column = _input_column(name, values)
        if rows is None:
            rows = len(column)
        elif len(column) != rows:
            raise ValueError(f"{name} has {len(column)} values but sex has {rows}")
        columns.append(column)
    return _kestrova._compute_columns(columns, rows, bool(texts), threads)


def compute_frame(df, columns=None, *, threads=None):
    """Computes every row of a pandas DataFrame; returns a new DataFrame.

    The input columns are found by the names ``kestrova-cli --batch`` takes, in
    any case, in English or Japanese: sex 性別, age 年齢, height 身長 (also
    身長(cm), height[cm]), vc 肺活量, fvc 努力肺活量, fev1 1秒量 / 一秒量 /
    FEV1.0 (also with a unit, 肺活量(L)). ``columns`` maps any of "sex", "age",
    "height", "vc", "fvc", "fev1" to a column label instead (other columns of
    that name are then passed through). sex, age and height
    are required; a missing volume column means not measured.

    The result has the DataFrame's columns and index as they are, then "error"
    and the result columns (see :func:`compute_many`, texts included). Columns
    of str (as read from a CSV with a bad value) are read as the batch reads
    its texts, so an error row gets the batch's text exactly.

    Raises ValueError when a column is named twice or a required one is
    missing (the batch's header messages), or when the DataFrame already has a
    column the result would add.
    """
    import pandas as pd

    given = dict(columns or {})
    for role, label in given.items():
        if role not in INPUT_COLUMNS:
            raise ValueError(f"columns: '{role}' is none of {', '.join(INPUT_COLUMNS)}")
        if label not in df.columns:
            raise ValueError(f"columns: the DataFrame has no column {label!r} for {role}")
    labels = {}
    for label in df.columns:
        role = _kestrova._column_of_header_name(str(label))
        if role is None or role in given or label in given.values():
            continue
        if role in labels:
            raise ValueError(f"the header names the column '{role}' twice")
        labels[role] = label
    labels.update(given)
    for role in ("sex", "age", "height"):
        if role not in labels:
            raise ValueError(
                f"the header has no '{role}' column (it needs sex, age and height; vc, fvc and fev1 are optional)"
            )
    names = ["error"] + [name for name, _ in RESULT_COLUMNS]
    taken = [name for name in names if name in df.columns]
    if taken:
        raise ValueError(f"the DataFrame already has the result column '{taken[0]}'")

    def values(role):
        if role not in labels:
            return None
        series = df[labels[role]]
        if pd.api.types.is_numeric_dtype(series.dtype) and not pd.api.types.is_bool_dtype(series.dtype):
            return series.to_numpy(dtype=np.float64, na_value=np.nan)
        return series.to_numpy(dtype=object, na_value=None)

    results = compute_many(*(values(role) for role in INPUT_COLUMNS), texts=True, threads=threads)
    return pd.concat([df, pd.DataFrame(results, index=df.index, columns=names)], axis=1)
