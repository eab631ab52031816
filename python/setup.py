"""Builds the kestrova package: its extension module is the CMake target
_kestrova of the enclosing source tree (python/CMakeLists.txt), compiled with
the project's own flags against the interpreter that runs this script.

    /usr/bin/python3 -m venv --system-site-packages venv
    venv/bin/pip install --no-build-isolation --no-index ./python

CMAKE_BUILD_PARALLEL_LEVEL sets the compile jobs (default 2).
"""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent


def program_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(kestrova VERSION ([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        import pybind11

        if not (ROOT / "python" / "CMakeLists.txt").is_file():
            sys.exit(f"kestrova: the C++ sources are not in {ROOT}; install from a checkout")
        out_dir = Path(self.get_ext_fullpath(ext.name)).resolve().parent
        build_dir = Path(self.build_temp).resolve() / "cmake"
        configure = [
            "cmake", "-S", str(ROOT), "-B", str(build_dir),
            "-DCMAKE_BUILD_TYPE=Release",
            "-DKESTROVA_PYTHON=ON", "-DKESTROVA_TESTS=OFF", "-DKESTROVA_BENCHMARKS=OFF",
            f"-DPython_EXECUTABLE={sys.executable}",
            f"-Dpybind11_DIR={pybind11.get_cmake_dir()}",
            f"-DKESTROVA_PYTHON_OUTPUT_DIR={out_dir}",
        ]
        if shutil.which("ninja"):
            configure += ["-G", "Ninja"]
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(build_dir), "--target", "_kestrova", "-j", jobs], check=True)


setup(
    name="kestrova",
    version=program_version(),
    description="Spirometry reference values (JRS2014, JRS2001, Baldwin, Berglund) with the calculator's exact digits",
    packages=["kestrova"],
    package_data={"kestrova": ["*.pyi", "py.typed"]},
    ext_modules=[Extension("kestrova._kestrova", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    python_requires=">=3.9",
    install_requires=["numpy"],
    extras_require={"pandas": ["pandas"]},
    zip_safe=False,
)
