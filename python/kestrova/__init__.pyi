from typing import Any, Iterable, Mapping, NamedTuple, Optional, Sequence, Union

import numpy as np
import numpy.typing as npt
import pandas

_Value = Union[str, int, float, np.floating[Any], np.integer[Any], None]
_Gli = Union[str, Iterable[str], None]
_Column = Union[Sequence[_Value], npt.ArrayLike, np.ma.MaskedArray[Any, Any], pandas.Series, pandas.Categorical]

class Column(NamedTuple):
    name: str
    kind: str
    meaning: str
    unit: str
    equation: str
    source: Optional[str]
    citation: str

__version__: str
INPUT_COLUMNS: tuple[str, ...]
RESULT_COLUMNS: tuple[tuple[str, str], ...]
GLI_COLUMNS: tuple[tuple[str, str], ...]
COLUMNS: Mapping[str, Column]
CITATIONS: Mapping[str, str]

def compute(
    sex: Union[str, int], age: _Value, height: _Value,
    vc: _Value = 0, fvc: _Value = 0, fev1: _Value = 0,
    *, gli: _Gli = None, gli_group: str = "ne-asian",
) -> dict[str, Any]: ...
def compute_many(
    sex: _Column, age: _Column, height: _Column,
    vc: Optional[_Column] = None, fvc: Optional[_Column] = None, fev1: Optional[_Column] = None,
    *, columns: Optional[Sequence[str]] = None, texts: bool = True, threads: Optional[int] = None,
    gli: _Gli = None, gli_group: str = "ne-asian",
) -> dict[str, np.ndarray]: ...
def compute_frame(
    df: pandas.DataFrame, inputs: Optional[Mapping[str, Any]] = None, *,
    columns: Optional[Sequence[str]] = None, threads: Optional[int] = None,
    gli: _Gli = None, gli_group: str = "ne-asian",
) -> pandas.DataFrame: ...
