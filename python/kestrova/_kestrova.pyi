from typing import Any, Optional

import numpy as np

__version__: str
_result_columns: list[tuple[str, str]]
_input_columns: list[str]
_gli_sets: list[str]

def _gli_columns(gli: list[Any], gli_group: Any) -> list[tuple[str, str]]: ...
def _compute_json(values: list[Any], gli: list[Any], gli_group: Any) -> str: ...
def _compute_columns(
    columns: list[Any], rows: int, names: list[str], masked: bool, missing_text: Any, threads: int,
    gli: list[Any], gli_group: Any,
) -> dict[str, Any]: ...
def _column_of_header_name(name: str) -> Optional[str]: ...
