"""Spirometry reference values with the Kestrova calculator's exact digits.

Predicted values by JRS2014 (with its lower limit of normal, z-scores and
percentiles), JRS2001 with its ratios (T) and (G), Baldwin (VC) and Berglund
(FEV1); each measured value as a percentage of its prediction, the red flags of
the calculator's window, and the clinical reading; on request (``gli=``) FEV1,
FVC and FEV1/FVC by GLI Global (2022) and GLI-2012. Every number and text is
the one ``kestrova-cli`` writes for the same patient:

* :func:`compute` -- one patient, as ``kestrova-cli --format json``;
* :func:`compute_many` -- NumPy arrays, one per column of ``kestrova-cli --batch``;
* :func:`compute_frame` -- a pandas DataFrame in, the batch's columns added;
* :data:`COLUMNS` -- what each output column holds, and the source to cite.

Every value is read as the batch reads the texts of a CSV file, by the one
input rule of the program: sex is M/F (any case), 1/2, 男/女, 男性/女性 or
full-width Ｍ/Ｆ; age (above 0, at most 150) and height (cm, above 0, at most
272) are required; VC, FVC and FEV1 (litres, 0 to 15) are optional, and a
missing or 0 one means not measured. A number given as a str may have full-width
digits and point ("４５．５"); a decimal comma ("3,1") is refused. A number given
as a number is read as the shortest decimal that gives it back in its own type
(float 2.35 as "2.35", np.float32(2.31) as "2.31", not 2.309999942779541), so
it is computed from the digits a clinician typed. None, NaN, pd.NA and masked
elements are missing. A value that cannot be read raises TypeError or
ValueError (naming the argument, raised from the cause) and nothing else.
"""

import json
import os
import types
import warnings
from collections.abc import Mapping

import numpy as np

from . import _column_docs, _kestrova

__version__ = _kestrova.__version__
__all__ = [
    "compute", "compute_many", "compute_frame", "INPUT_COLUMNS", "RESULT_COLUMNS", "GLI_COLUMNS", "COLUMNS",
    "CITATIONS", "__version__",
]  # fmt: skip

#: The input arguments, in order: sex, age, height, vc, fvc, fev1.
INPUT_COLUMNS = tuple(_kestrova._input_columns)
#: The result columns of ``kestrova-cli --batch``, in order, as (name, kind):
#: kind "number", "flag" or "text" (see compute_many for their dtypes).
RESULT_COLUMNS = tuple(_kestrova._result_columns)
# The GLI columns of each set, by its name for gli=.
_GLI_SET_COLUMNS = {name: tuple(_kestrova._gli_columns([name], "ne-asian")) for name in _kestrova._gli_sets}
#: The GLI columns of ``kestrova-cli --batch --gli global,2012`` (after
#: RESULT_COLUMNS), as (name, kind): compute_many and compute_frame add those
#: of the sets their gli= asks for, in this order.
GLI_COLUMNS = tuple(_kestrova._gli_columns(list(_GLI_SET_COLUMNS), "ne-asian"))
_GLI_SET_OF = {name: gli_set for gli_set, columns in _GLI_SET_COLUMNS.items() for name, _ in columns}
# The columns compute_many and compute_frame can return after "error": sexCode, then RESULT_COLUMNS.
_OUTPUT_COLUMNS = (("sexCode", "code"),) + RESULT_COLUMNS
_OUTPUT_KINDS = dict(_OUTPUT_COLUMNS + GLI_COLUMNS)
Column = _column_docs.Column
#: Every output column ("error", sexCode, RESULT_COLUMNS and GLI_COLUMNS, in
#: order) by name, each a Column(name, kind, meaning, unit, equation, source, citation).
_ENTRIES = _column_docs.entries()
COLUMNS = types.MappingProxyType({name: _ENTRIES[name] for name in ["error", *_OUTPUT_KINDS] if name in _ENTRIES})
#: The sources the columns cite (Column.source), each written once.
CITATIONS = types.MappingProxyType(_column_docs.CITATIONS)


def _gli_sets(gli):
    """gli= as a list of set names: None none, a str split at its commas, any
    other iterable as it is (the compiled core checks each name)."""
    if gli is None:
        return []
    if isinstance(gli, str):
        return gli.split(",")
    try:
        return list(gli)
    except TypeError:
        raise ValueError(
            f"gli: {gli!r} is no GLI set ({', '.join(_GLI_SET_COLUMNS)}, or several: \"global,2012\")"
        ) from None


def compute(sex, age, height, vc=0, fvc=0, fev1=0, *, gli=None, gli_group="ne-asian"):
    """Computes one patient; returns the object ``kestrova-cli --format json`` prints.

    >>> r = compute("M", 40, 170, vc=3.2, fvc=3.9, fev1=2.6)
    >>> r["results"][0]["line"], r["results"][0]["percent"], r["jrs2014"][0]["z"]
    ('4.48 :JRS2014', 71.4, -2.88)

    Each value is a str, int, float (NumPy's of any width too), None, pd.NA or
    np.ma.masked, read as the module describes ("男性", 45, "４５．５",
    np.float32(2.31) as "2.31"; None for a volume: not measured). The result
    has "warnings": the volumes that contradict each other (VC below FVC, …).

    ``gli`` adds the GLI results, as ``kestrova-cli --format json --gli SETS
    --gli-group GROUP`` does ("gli" and the reading's "ersAts2022Gli"): "global"
    (GLI Global 2022), "2012" (GLI-2012), both as ("global", "2012") or
    "global,2012"; ``gli_group`` is GLI-2012's group: "caucasian",
    "african-american", "ne-asian", "se-asian" or "other" (GLI Global has none).
    Another name raises ValueError naming the argument and the names it takes.

    Raises ValueError with the batch's error text when a value is refused
    ("age '200' is above 150", "vc '3,1' uses a decimal comma…"); TypeError or
    ValueError naming the argument, raised from the cause, for a value that
    cannot be read as a text or number (a list, a str with a lone surrogate, an
    object whose float() raises).
    """
    return json.loads(_kestrova._compute_json([sex, age, height, vc, fvc, fev1], _gli_sets(gli), gli_group))


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


_EXACT_INTEGERS = 2**53  # integers of at most this size are exact float64 values


def _own_type_texts(array):
    """float16 or longdouble values as their shortest decimals in their own
    type (NumPy's), None for NaN: an object array, each distinct value
    formatted once."""
    distinct, codes = np.unique(array, return_inverse=True)
    texts = np.array(
        [None if np.isnan(v) else np.format_float_positional(v, unique=True, trim="-") for v in distinct] + [None],
        dtype=object,
    )
    return texts[:-1][codes.reshape(-1)] if len(distinct) else texts[:0]


def _from_pandas(name, values):
    """A pandas Series, Index or array as a NumPy array each value of which is
    read as pandas holds it: float32 stays float32, pd.NA and a missing
    category become NaN or None, a Categorical reads its categories."""
    import pandas as pd

    array = values.array if hasattr(values, "array") else values
    if isinstance(array, pd.Categorical):
        categories = _input_column(name, array.categories.array)
        if categories.dtype.kind != "f":
            categories = categories.astype(object)
        # code -1 (missing) takes the appended NaN or None
        missing = np.array([np.nan if categories.dtype.kind == "f" else None], dtype=categories.dtype)
        return np.concatenate([categories, missing])[array.codes]
    if isinstance(array.dtype, np.dtype):
        return array.to_numpy()
    numpy_dtype = getattr(array.dtype, "numpy_dtype", None)  # nullable Float32, Int64, …
    if numpy_dtype is not None and numpy_dtype.kind == "f":
        return array.to_numpy(dtype=numpy_dtype, na_value=np.nan)
    if numpy_dtype is not None and numpy_dtype.kind in "iu" and not array.isna().any():
        return array.to_numpy(dtype=numpy_dtype)
    return array.to_numpy(dtype=object, na_value=None)


def _filled(masked):
    """A masked array's data with its masked elements missing (NaN or None)."""
    mask = np.ma.getmaskarray(masked)
    data = np.ma.getdata(masked)
    if not mask.any():
        return data
    filled = data.copy() if data.dtype.kind == "f" else data.astype(object)
    filled[mask] = np.nan if data.dtype.kind == "f" else None
    return filled


def _input_column(name, values):
    """A float64 or float32 array, an array of objects or str, as the compiled
    core takes them; other numbers as texts or objects of their own type."""
    if type(values).__module__.partition(".")[0] == "pandas":
        values = _from_pandas(name, values)
    elif isinstance(values, (list, tuple)) and not {type(v) for v in values} <= {float, int}:
        values = np.array(values, dtype=object)  # each value read by its own type
    if isinstance(values, np.ma.MaskedArray):
        values = _filled(values)
    array = values if isinstance(values, np.ndarray) else np.asarray(values)
    if array.ndim != 1:
        raise ValueError(f"{name} must be one-dimensional (a sequence of values), not of shape {array.shape}")
    kind = array.dtype.kind
    if kind == "f" and array.dtype.itemsize in (4, 8):
        return np.ascontiguousarray(array, dtype=array.dtype.newbyteorder("="))
    if kind == "f":
        return _own_type_texts(array)
    if kind in "iu":
        if len(array) == 0 or (array.min() >= -_EXACT_INTEGERS and array.max() <= _EXACT_INTEGERS):
            return np.ascontiguousarray(array, dtype=np.float64)
        return array.astype(object)  # Python ints: every digit kept
    if kind == "U":  # read in place by the core as native UCS-4
        return np.ascontiguousarray(array, dtype=array.dtype.newbyteorder("="))
    if kind == "O":
        return np.ascontiguousarray(array)
    raise TypeError(f"{name}: cannot read values of dtype {array.dtype} (numbers, str or None)")


def _chosen_columns(columns, texts, gli_columns):
    """The output columns asked for, in order: all of them with the GLI ones
    of the sets asked for, `gli_columns` (text columns only with `texts`), or
    those `columns` names."""
    if columns is None:
        return [name for name, kind in _OUTPUT_COLUMNS + gli_columns if texts or kind != "text"]
    if isinstance(columns, (str, Mapping)) or not hasattr(columns, "__iter__"):
        raise TypeError(f"columns must be a list of result column names, not {type(columns).__name__}")
    chosen = list(columns)
    for name in chosen:
        if name not in _OUTPUT_KINDS:
            raise ValueError(f"columns: no result column {name!r} (see kestrova.COLUMNS)")
        if name in _GLI_SET_OF and (name, _OUTPUT_KINDS[name]) not in gli_columns:
            raise ValueError(f"columns: {name!r} is a GLI column of gli={_GLI_SET_OF[name]!r}, not asked for")
        if not texts and _OUTPUT_KINDS[name] == "text":
            raise ValueError(f"columns: {name!r} is a text column, and texts is false")
    named_twice = sorted({name for name in chosen if chosen.count(name) > 1})
    if named_twice:
        raise ValueError(f"columns: {named_twice[0]!r} is named twice")
    return chosen


def _input_arrays(sex, age, height, vc, fvc, fev1):
    """The six arguments as the compiled core takes them, and their length."""
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
    return columns, rows


def _gli_arguments(gli, gli_group):
    """gli= and gli_group= as the compiled core takes them, and the GLI
    columns they add (ValueError for a name it does not know)."""
    sets = _gli_sets(gli)
    return sets, gli_group, tuple(_kestrova._gli_columns(sets, gli_group))


def compute_many(
    sex, age, height, vc=None, fvc=None, fev1=None, *, columns=None, texts=True, threads=None, gli=None,
    gli_group="ne-asian",
):  # fmt: skip
    """Computes many patients; returns a dict of NumPy arrays, one per output column.

    Each argument is a sequence (list, NumPy array or masked array, pandas
    Series, Categorical or nullable array) of one value per patient, all of the
    same length; vc, fvc and fev1 may be None (none measured). Each value is
    read as :func:`compute` reads it: str as the batch reads its texts, numbers
    as the shortest decimal of their own type (float32 and float16 arrays,
    Float32 columns and float32 categories included; pandas 1 itself widens
    float32 categories to float64, and they are read as such); NaN, None,
    pd.NA, a missing category and masked elements are missing.

    The keys are "error", "sexCode" and then the result columns of
    ``kestrova-cli --batch`` in its order (RESULT_COLUMNS); COLUMNS documents
    each. A cell is missing exactly where the batch's CSV leaves it empty (a
    row in error, a result not computed, a reading not read):

    * "error": the batch's error text of a row it cannot compute, else "";
    * numbers: float64, the double the CSV's text reads back as, NaN when missing;
    * flags (the ...Red columns, ersAts...BelowLln, lungAgeCorrected): float64
      1.0 or 0.0, NaN when missing (so np.nanmean gives a proportion, and a
      missing flag never reads as 0);
    * "sexCode": float64 1.0 (male) or 2.0 (female), NaN for a row in error;
    * texts (the reading's keys, lungAgeYears and "warnings", the volumes'
      contradictions as "vcBelowFvc;fev1AboveFvc"): object arrays of str,
      None when missing; left out when ``texts`` is false.

    ``gli`` and ``gli_group`` (as :func:`compute` takes them) add the GLI
    columns of ``kestrova-cli --batch --gli`` after the others (GLI_COLUMNS,
    those of the sets asked for): numbers, flags and texts as above.

    ``columns`` (a list of names of COLUMNS but "error") computes and returns
    only those, in that order, after "error"; an unknown name, or a GLI column
    of a set ``gli`` does not ask for, raises ValueError naming it.

    The loop runs in C++ without the GIL, split over ``threads`` threads
    (default: every core this process may use; fewer when no more can be
    started). Ctrl+C (KeyboardInterrupt) stops it within a fraction of a
    second.

    Raises ValueError when the lengths differ or an array is not
    one-dimensional, TypeError for a dtype that cannot be read, TypeError or
    ValueError naming the argument (raised from the cause) for a value that
    cannot be read as a text or number; in all cases before anything is
    computed.
    """
    threads = _threads(threads)
    sets, group, gli_columns = _gli_arguments(gli, gli_group)
    names = _chosen_columns(columns, bool(texts), gli_columns)
    arrays, rows = _input_arrays(sex, age, height, vc, fvc, fev1)
    return _kestrova._compute_columns(arrays, rows, names, False, None, threads, sets, group)


def _frame_column(values, kind):
    """One column of the core's arrays as pandas' nullable array, without copying it."""
    import pandas as pd

    if kind == "flag":
        return pd.arrays.BooleanArray(*values, copy=False)
    if kind == "code":
        return pd.arrays.IntegerArray(*values, copy=False)
    if kind in ("text", "error"):
        return pd.arrays.StringArray(values)  # checks the cells, copies none
    return values


def compute_frame(df, inputs=None, *, columns=None, threads=None, gli=None, gli_group="ne-asian"):
    """Computes every row of a pandas DataFrame; returns a new DataFrame.

    The input columns are found by the names ``kestrova-cli --batch`` takes, in
    any case, in English or Japanese: sex 性別, age 年齢, height 身長 (also
    身長(cm), height[cm], height_cm), vc 肺活量, fvc 努力肺活量, fev1 1秒量 /
    一秒量 / FEV1.0 (also with a unit: 肺活量(L), VC[L], FVC_L, FEV1 (L)).
    ``inputs`` maps any of "sex", "age", "height", "vc", "fvc", "fev1" to a
    column label instead (other columns of that name are then passed
    through). sex, age and height are required; a missing volume column means
    not measured, and when none of the three is found a UserWarning names the
    columns seen.

    Each column is read as :func:`compute_many` reads it, by its own dtype:
    numbers, str, nullable (pd.NA missing) and categorical columns alike.

    The result has the DataFrame's columns and index as they are (the same
    arrays, not copies), then "error", "sexCode" and the result columns (or
    those ``columns`` names, as in :func:`compute_many`), then the GLI columns
    ``gli`` asks for (as in :func:`compute_many`). Missing cells are
    pd.NA or NaN, where the batch's CSV leaves a cell empty: numbers float64
    (NaN), flags pandas "boolean", sexCode "Int8" (1 male, 2 female), texts
    and "error" pandas "string" ("error" is "" for a row computed). The result
    arrays are built once, in place: none is copied on the way.

    Raises ValueError when a column is named twice or a required one is
    missing (the batch's header messages), when the DataFrame already has a
    column the result would add, or for an unknown name in ``columns``.
    """
    import pandas as pd

    if isinstance(columns, Mapping):
        raise TypeError("columns names the result columns to compute (a list); name input columns with inputs=")
    sets, group, gli_columns = _gli_arguments(gli, gli_group)
    names = _chosen_columns(columns, True, gli_columns)
    given = dict(inputs or {})
    for role, label in given.items():
        if role not in INPUT_COLUMNS:
            raise ValueError(f"inputs: '{role}' is none of {', '.join(INPUT_COLUMNS)}")
        if label not in df.columns:
            raise ValueError(f"inputs: the DataFrame has no column {label!r} for {role}")
    labels = {}
    roles = []
    for label in df.columns:
        role = _kestrova._column_of_header_name(str(label))
        if role is None or role in given or label in given.values():
            continue
        roles.append(role)
        labels.setdefault(role, label)
    labels.update(given)
    error = _kestrova._header_error(roles + list(given))
    if error:
        raise ValueError(error)
    taken = [name for name in ["error", *names] if name in df.columns]
    if taken:
        raise ValueError(f"the DataFrame already has the result column '{taken[0]}'")

    if not any(role in labels for role in ("vc", "fvc", "fev1")):
        warnings.warn(
            f"no VC, FVC or FEV1 column among {list(df.columns)!r}: every volume is computed as not measured",
            UserWarning,
            stacklevel=2,
        )
    arrays, rows = _input_arrays(*[df[labels[role]] if role in labels else None for role in INPUT_COLUMNS])
    results = _kestrova._compute_columns(arrays, rows, names, True, pd.NA, _threads(threads), sets, group)
    kinds = {"error": "error", **_OUTPUT_KINDS}
    # One frame of the input's columns (each the DataFrame's own array, by
    # position, so that repeated labels stay) and the results, each kept as
    # it is: copy=False keeps a dict's arrays unconsolidated, where pandas
    # would otherwise copy them into 2-D blocks (as concat does, copy=False
    # or not, in pandas 1).
    arrays = {i: df.iloc[:, i] for i in range(df.shape[1])}
    for name, values in results.items():
        arrays[len(arrays)] = _frame_column(values, kinds[name])
    frame = pd.DataFrame(arrays, index=df.index, copy=False)
    frame.columns = df.columns.append(pd.Index(list(results)))
    return frame
