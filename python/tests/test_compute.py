"""compute() against kestrova-cli --format json, the kinds of input values
against their texts, and the calls that must raise."""

import _thread
import decimal
import fractions
import json
import re
import subprocess
import sys
import textwrap
import threading
import time
import warnings

import numpy as np
import pandas as pd
import pytest

import kestrova
from conftest import ROOT, run_cli

# (compute's arguments, the same patient on kestrova-cli's command line)
PATIENTS = [
    (("M", 40, 170, 3.2, 3.9, 2.6), "/Sex=M /Age=40 /Setake=170 /VC=3.2 /FVC=3.9 /FEV1=2.6"),
    (("M", 40, 170, 3.72), "/Sex=M /Age=40 /Setake=170 /VC=3.72"),  # VC equal to its LLN
    (("M", 40, 170, 0, 4, 2.924), "/Sex=M /Age=40 /Setake=170 /FVC=4 /FEV1=2.924"),  # FEV1/FVC 0.731 = its LLN
    (("M", 40, 170, 3.58176), "/Sex=M /Age=40 /Setake=170 /VC=3.58176"),  # 79.95 % of 4.48
    (("M", 40, 170, 0, 5, 4.438), "/Sex=M /Age=40 /Setake=170 /FVC=5 /FEV1=4.438"),  # lung age 18.0
    (("M", 40, 170, 0, 5, 4.44), "/Sex=M /Age=40 /Setake=170 /FVC=5 /FEV1=4.44"),  # lung age 17.9: "<18"
    (("F", 40, 170, 3, None, 2.5), "/Sex=F /Age=40 /Setake=170 /VC=3 /FEV1=2.5"),  # no FVC
    (("女性", 3, 90), "/Sex=F /Age=3 /Setake=90"),  # youngest and shortest, nothing measured
    (("男性", 99, 220, 6, 6, 5), "/Sex=M /Age=99 /Setake=220 /VC=6 /FVC=6 /FEV1=5"),
    ((2, 75.5, 152.3, 2.1, 2, 1.3), "/Sex=F /Age=75.5 /Setake=152.3 /VC=2.1 /FVC=2 /FEV1=1.3"),
    ((1, "150", "272", "15", "15", "15"), "/Sex=M /Age=150 /Setake=272 /VC=15 /FVC=15 /FEV1=15"),  # the limits
    (("F", 95, 140, 0, 1.5, 0.6), "/Sex=F /Age=95 /Setake=140 /FVC=1.5 /FEV1=0.6"),  # lung age ">95"
    # float32 values as their own shortest decimals: obstruction, not possibleMixed (from 2.3099999…)
    (("F", *np.float32([46, 152, 3.04, 2.31, 1.16])), "/Sex=F /Age=46 /Setake=152 /VC=3.04 /FVC=2.31 /FEV1=1.16"),
    (("M", 40, 170, 3, 3.5, 3.6), "/Sex=M /Age=40 /Setake=170 /VC=3 /FVC=3.5 /FEV1=3.6"),  # two warnings
]


@pytest.mark.parametrize("arguments,command_line", PATIENTS)
def test_compute_equals_the_json_output(arguments, command_line):
    done = run_cli("--format", "json", *command_line.split())
    assert done.returncode == 0, done.stderr
    assert kestrova.compute(*arguments) == json.loads(done.stdout)


# (compute's arguments, its GLI keywords, the same on kestrova-cli's command line)
GLI_PATIENTS = [
    (("M", 40, 175, 4.6, 4.5, 3.5), dict(gli=("global", "2012")), "/Sex=M /Age=40 /Setake=175 /VC=4.6 "
     "/FVC=4.5 /FEV1=3.5 --gli global,2012"),
    (("F", 5, 110, 0, 1.2, 1.1), dict(gli="2012,global", gli_group="caucasian"), "/Sex=F /Age=5 /Setake=110 "
     "/FVC=1.2 /FEV1=1.1 --gli 2012,global --gli-group caucasian"),
    (("M", 2, 88, 0, 0.8, 0.7), dict(gli=["global"]), "/Sex=M /Age=2 /Setake=88 /FVC=0.8 /FEV1=0.7 --gli global"),
]  # fmt: skip


@pytest.mark.parametrize("arguments,keywords,command_line", GLI_PATIENTS)
def test_compute_with_gli_equals_the_json_output(arguments, keywords, command_line):
    done = run_cli("--format", "json", *command_line.split())
    assert done.returncode == 0, done.stderr
    assert kestrova.compute(*arguments, **keywords) == json.loads(done.stdout)


# (call, exception, message)
BAD_CALLS = [
    (lambda: kestrova.compute("X", 40, 170), ValueError, "sex 'X' is neither M/F, 1/2 nor 男性/女性"),
    (lambda: kestrova.compute("M", 200, 170), ValueError, "age '200' is above 150"),
    (lambda: kestrova.compute("M", None, 170), ValueError, "age is empty"),
    (lambda: kestrova.compute("M", 40, 170, fev1=-1), ValueError, "fev1 '-1' is negative"),
    (lambda: kestrova.compute("M", 40, [170]), TypeError, "height: cannot read a value of type list"),
    (lambda: kestrova.compute("M", True, 170), TypeError, "age: cannot read a value of type bool"),
    (lambda: kestrova.compute_many(["M"] * 3, [40] * 2, [170] * 3), ValueError, "age has 2 values but sex has 3"),
    (lambda: kestrova.compute_many(["M"], [40], [170], fev1=[1, 2]), ValueError, "fev1 has 2 values but sex has 1"),
    (lambda: kestrova.compute_many(["M"], [40], np.array(["2020-01-01"], dtype="datetime64[D]")), TypeError,
     "height: cannot read values of dtype datetime64"),
    (lambda: kestrova.compute_many(["M"], [[40]], [170]), ValueError, "age must be one-dimensional"),
    (lambda: kestrova.compute_many(["M"], [{}], [170]), TypeError, "age: cannot read a value of type dict"),
    (lambda: kestrova.compute_many(["M"], [40], None), TypeError, "height is required"),
    (lambda: kestrova.compute_many(["M"], [40], [170], threads=0), ValueError, "threads must be"),
    (lambda: kestrova.compute_frame(pd.DataFrame({"sex": ["M"], "age": [40]})), ValueError,
     "the header has no 'height' column"),
    (lambda: kestrova.compute_frame(pd.DataFrame({"sex": ["M"], "age": [40], "年齢": [40], "height": [170]})),
     ValueError, "the header names the column 'age' twice"),
    (lambda: kestrova.compute_frame(pd.DataFrame({"sex": ["M"], "age": [40], "height": [170], "error": [""]})),
     ValueError, "the DataFrame already has the result column 'error'"),
    (lambda: kestrova.compute_frame(pd.DataFrame({"s": ["M"], "age": [40], "height": [170]}), {"sex": "t"}),
     ValueError, "inputs: the DataFrame has no column 't' for sex"),
    (lambda: kestrova.compute_many(["M"], [40], [170], columns=["fev1Z", "fev1Zscore"]), ValueError,
     "columns: no result column 'fev1Zscore'"),
    (lambda: kestrova.compute_many(["M"], [40], [170], columns=["fev1Z", "fev1Z"]), ValueError,
     "columns: 'fev1Z' is named twice"),
    (lambda: kestrova.compute_many(["M"], [40], [170], columns=["copdStage"], texts=False), ValueError,
     "columns: 'copdStage' is a text column, and texts is false"),
    (lambda: kestrova.compute_frame(pd.DataFrame({"sex": ["M"], "age": [40], "height": [170]}), columns=["error"]),
     ValueError, "columns: no result column 'error'"),
    (lambda: kestrova.compute_frame(pd.DataFrame({"sex": ["M"], "age": [40], "height": [170]}), columns={"vc": "x"}),
     TypeError, "name input columns with inputs="),
    (lambda: kestrova.compute("M", 40, 170, gli="2022"), ValueError, "gli: '2022' is no GLI set (global, 2012"),
    (lambda: kestrova.compute("M", 40, 170, gli=2012), ValueError, "gli: 2012 is no GLI set (global, 2012"),
    (lambda: kestrova.compute_many(["M"], [40], [170], gli="global,global"), ValueError,
     "gli: 'global' is named twice"),
    (lambda: kestrova.compute_many(["M"], [40], [170], gli="2012", gli_group="asian"), ValueError,
     "gli_group: 'asian' is no GLI-2012 group (caucasian, african-american, ne-asian, se-asian, other)"),
    (lambda: kestrova.compute_many(["M"], [40], [170], gli="global", columns=["gli2012Fev1Z"]), ValueError,
     "columns: 'gli2012Fev1Z' is a GLI column of gli='2012', not asked for"),
    (lambda: kestrova.compute_frame(pd.DataFrame({"sex": ["M"], "age": [40], "height": [170]}),
                                    columns=["ersAtsGliPattern"]), ValueError,
     "columns: 'ersAtsGliPattern' is a GLI column of gli='global'"),
]


@pytest.mark.parametrize("call,exception,message", BAD_CALLS)
def test_bad_calls_raise(call, exception, message):
    with pytest.raises(exception, match=re.escape(message)):
        call()


def test_error_rows_and_missing_values_in_arrays():
    age = pd.array([40, 40, None], dtype="Int64")  # pd.NA
    r = kestrova.compute_many(["M", "M", "M"], age, [170, 170, 170], vc=[3.2, np.nan, 3.2])
    assert list(r["error"]) == ["", "", "age is empty"]
    assert r["vcJrs2014Pct"][0] == 71.4 and np.isnan(r["vcJrs2014Pct"][1:]).all()
    np.testing.assert_array_equal(r["vcJrs2014Red"], [1, 0, np.nan])  # a blank cell is not red


def test_columns_named_in_the_call_win():
    df = pd.DataFrame({"性別": ["F"], "age": [45], "height": [160], "VC": [9.0], "肺活量": [3.1]})
    r = kestrova.compute_frame(df, {"vc": "肺活量"})
    assert r["vcJrs2014Pct"][0] == 95.7 and r["VC"][0] == 9.0  # 3.1 / 3.24; VC passed through


def test_version_is_the_programs():
    project = re.search(r"project\(kestrova VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text())
    assert kestrova.__version__ == project.group(1)
    assert run_cli("--version").stdout.decode().split() == ["kestrova-cli", kestrova.__version__]


# (a float argument, the text the batch reads for it, as its error message quotes it)
NUMBER_TEXTS = [
    (200.0, "200"),
    (150.5, "150.5"),
    (150.125, "150.125"),  # three decimals
    (150.0625, "150.0625"),  # four decimals
    (150.1 + 0.2, "150.29999999999998"),  # no short decimal reads back as it
    (999999.999, "999999.999"),
    (1000000.5, "1000000.5"),
    (1e20, "100000000000000000000"),
]


@pytest.mark.parametrize("age,text", NUMBER_TEXTS)
def test_a_float_is_read_as_its_shortest_decimal(age, text):
    r = kestrova.compute_many(np.array(["M"]), np.array([age]), np.array([170.0]), texts=False)
    assert r["error"][0] == f"age '{text}' is above 150"


def test_str_arrays_of_either_byte_order_read_as_objects():
    sex = ["M", "F", "男性", "X"]
    want = kestrova.compute_many(np.array(sex, dtype=object), [40] * 4, [170] * 4, vc=[3.2] * 4)
    for dtype in ("<U2", ">U2"):
        got = kestrova.compute_many(np.array(sex, dtype=dtype), [40] * 4, [170] * 4, vc=[3.2] * 4)
        for name in want:
            np.testing.assert_array_equal(got[name], want[name], err_msg=f"{dtype} {name}")


class Broken:
    """A value whose float() raises `error`."""

    def __init__(self, error):
        self.error = error

    def __float__(self):
        raise self.error

    def __repr__(self):
        return "Broken()"


# (call, exception, message, the exception it is raised from)
CHAINED_CALLS = [
    (lambda: kestrova.compute_many(np.array(["M", "F\udc80"]), [40] * 2, [170] * 2), ValueError,
     "sex: the str 'F\\udc80' is not a text of Unicode characters", UnicodeEncodeError),
    (lambda: kestrova.compute("M", 40, 170, vc=Broken(ValueError("no volume"))), ValueError,
     "vc: cannot read a value of type Broken (Broken()) as a number", ValueError),
    (lambda: kestrova.compute_many(["M"], [Broken(RuntimeError("no age"))], [170]), ValueError,
     "age: cannot read a value of type Broken", RuntimeError),
    (lambda: kestrova.compute_many(["M"], [40], [Broken(TypeError("no height"))]), TypeError,
     "height: cannot read a value of type Broken", TypeError),
]


@pytest.mark.parametrize("call,exception,message,cause", CHAINED_CALLS)
def test_values_that_cannot_be_read_raise_from_the_cause(call, exception, message, cause):
    with pytest.raises(exception, match=re.escape(message)) as raised:
        call()
    assert type(raised.value) is exception and type(raised.value.__cause__) is cause


PANDAS_1 = pd.__version__.startswith("1.")

# (the argument, its values as a library hands them over, the texts a batch file holds for them)
INPUT_KINDS = [
    ("fvc", np.array([2.31, 2.89, np.nan], dtype=np.float32), ["2.31", "2.89", ""]),
    ("age", np.array([40.1, 200.1, 46], dtype=">f4"), ["40.1", "200.1", "46"]),
    ("fev1", np.array([1.16, 2.31, np.nan], dtype=np.float16), ["1.16", "2.31", ""]),
    ("height", np.array(["152.5", "160", "nan"], dtype=np.longdouble), ["152.5", "160", ""]),
    ("age", np.array([46, 10**17 + 1, -(10**17)]), ["46", "100000000000000001", "-100000000000000000"]),
    ("vc", np.ma.array([3.04, 9.99, 3.5], mask=[False, True, False]), ["3.04", "", "3.5"]),
    ("sex", np.ma.array(["F", "M", "F"], mask=[False, False, True]), ["F", "M", ""]),
    ("fvc", pd.array([2.31, None, 2.89], dtype="Float32"), ["2.31", "", "2.89"]),
    ("fev1", pd.Series([1.16, 1.5, np.nan], dtype="float32"), ["1.16", "1.5", ""]),
    ("age", pd.array([46, None, 200], dtype="Int64"), ["46", "", "200"]),
    ("vc", pd.Series([3.04, np.nan, 3.04]).astype("category"), ["3.04", "", "3.04"]),
    ("sex", pd.Categorical(["F", None, "男性"]), ["F", "", "男性"]),
    pytest.param("fvc", pd.Series(np.float32([2.31, np.nan, 2.89])).astype("category"), ["2.31", "", "2.89"],
                 marks=pytest.mark.skipif(PANDAS_1, reason="pandas 1 widens float32 categories to float64")),
    ("fvc", np.array([np.float32(2.31), pd.NA, np.float16(2.89)], dtype=object), ["2.31", "", "2.89"]),
    ("fev1", [np.float32(1.16), 1.5, None], ["1.16", "1.5", ""]),
    ("vc", [decimal.Decimal("3.04"), np.ma.masked, fractions.Fraction(7, 2)], ["3.04", "", "3.5"]),
]


@pytest.mark.parametrize("argument,values,texts", INPUT_KINDS)
def test_values_are_read_as_their_texts(argument, values, texts):
    patient = dict(sex="F", age="46", height="152", vc="3.04", fvc="2.31", fev1="1.16")
    columns = {name: np.array([text] * 3, dtype=object) for name, text in patient.items()}
    got = kestrova.compute_many(**{**columns, argument: values})
    want = kestrova.compute_many(**{**columns, argument: np.array(texts, dtype=object)})
    for name in want:
        np.testing.assert_array_equal(got[name], want[name], err_msg=name)


def test_no_volume_column_is_warned_of():
    df = pd.DataFrame({"id": [1], "sex": ["M"], "age": [40], "height": [170], "peak flow": [9.1]})
    message = "no VC, FVC or FEV1 column among ['id', 'sex', 'age', 'height', 'peak flow']: every volume is"
    with pytest.warns(UserWarning, match=re.escape(message)):
        r = kestrova.compute_frame(df)
    assert r["error"][0] == "" and np.isnan(r["vcJrs2014Pct"][0])
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        kestrova.compute_frame(df.rename(columns={"peak flow": "FEV1"}))


def test_threads_that_cannot_start_leave_their_rows_to_the_others():
    # Under an address-space limit of 400 MB more than in use, a few of the
    # thousand threads start (each reserves a stack of megabytes).
    script = textwrap.dedent("""
        import resource, numpy as np, kestrova
        rows = 300_000
        args = (["M", "F"] * (rows // 2), np.full(rows, 40.0), np.full(rows, 170.0), None, None, np.full(rows, 2.5))
        want = kestrova.compute_many(*args, threads=1)
        status = open("/proc/self/status").read()
        used = int(status.split("VmSize:")[1].split()[0]) * 1024
        resource.setrlimit(resource.RLIMIT_AS, (used + (400 << 20), resource.RLIM_INFINITY))
        got = kestrova.compute_many(*args, threads=1000)
        for name in want:
            np.testing.assert_array_equal(got[name], want[name], err_msg=name)
    """)
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, check=False)
    assert done.returncode == 0, done.stderr


def test_keyboard_interrupt_stops_the_computation():
    rows = 1_000_000
    args = (np.array(["M", "F"] * (rows // 2), dtype=object), np.full(rows, 40.0), np.full(rows, 170.0))
    events = []

    def profile(frame, event, function):  # interrupts the computation 0.2 s after it starts
        if getattr(function, "__name__", "") == "_compute_columns":
            events.append(event)
            if event == "c_call":
                threading.Timer(0.2, _thread.interrupt_main).start()

    sys.setprofile(profile)
    try:
        with pytest.raises(KeyboardInterrupt):
            kestrova.compute_many(*args, fev1=np.full(rows, 2.5), threads=2)
            time.sleep(10)  # an interrupt that came after the call lands here
    finally:
        sys.setprofile(None)
    assert events == ["c_call", "c_exception"]
