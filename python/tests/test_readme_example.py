"""The README's pandas example runs on a Shift-JIS file with Japanese headers."""

import re

import matplotlib
import pytest

from conftest import ROOT, patients, write_csv


def test_readme_example(tmp_path, monkeypatch):
    readme = (ROOT / "README.md").read_text(encoding="utf-8")
    code = re.search(r"## Python\n.*?```python\n(.*?)```", readme, re.S).group(1)
    header = ["受診者番号", "性別", "年齢", "身長(cm)", "肺活量", "努力肺活量", "1秒量"]
    write_csv(tmp_path / "health_check.csv", header, patients(300), encoding="cp932")
    monkeypatch.chdir(tmp_path)
    matplotlib.use("Agg")
    exec(compile(code, "README.md", "exec"), {})
    assert (tmp_path / "z_scores.png").stat().st_size > 10_000
