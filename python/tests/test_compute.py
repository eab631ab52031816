"""compute() against kestrova-cli --format json, and the calls that must raise."""

import json
import re
from pathlib import Path

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
]


@pytest.mark.parametrize("arguments,command_line", PATIENTS)
def test_compute_equals_the_json_output(arguments, command_line):
    done = run_cli("--format", "json", *command_line.split())
    assert done.returncode == 0, done.stderr
    assert kestrova.compute(*arguments) == json.loads(done.stdout)


# (call, exception, message)
BAD_CALLS = [
    (lambda: kestrova.compute("X", 40, 170), ValueError, "sex 'X' is neither M/F, 1/2 nor 男性/女性"),
    (lambda: kestrova.compute("M", 200, 170), ValueError, "age '200' is above 150"),
    (lambda: kestrova.compute("M", None, 170), ValueError, "age is empty"),
    (lambda: kestrova.compute("M", 40, 170, fev1=-1), ValueError, "fev1 '-1' is negative"),
    (lambda: kestrova.compute("M", 40, [170]), TypeError, "height: cannot read a value of type list"),
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
     ValueError, "columns: the DataFrame has no column 't' for sex"),
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
    assert list(r["vcJrs2014Red"]) == [True, False, False]


def test_columns_named_in_the_call_win():
    df = pd.DataFrame({"性別": ["F"], "age": [45], "height": [160], "VC": [9.0], "肺活量": [3.1]})
    with pytest.raises(ValueError, match="the header names the column 'vc' twice"):
        kestrova.compute_frame(df)
    r = kestrova.compute_frame(df, {"vc": "肺活量"})
    assert r["vcJrs2014Pct"][0] == kestrova.compute("F", 45, 160, 3.1)["results"][0]["percent"]


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
