from typing import Any, Optional

import numpy as np

__version__: str
_result_columns: list[tuple[str, str]]
_input_columns: list[str]

def _compute_json(values: list[Any]) -> str: ...
def _compute_columns(columns: list[Any], rows: int, texts: bool, threads: int) -> dict[str, np.ndarray]: ...
def _column_of_header_name(name: str) -> Optional[str]: ...
