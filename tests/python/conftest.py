"""Paths the Python tests share: the build under test and its programs.

KORVEL_BUILD_DIR names the build (default: build/ of the checkout); its
python/ directory must be on PYTHONPATH for ``import korvel``.
"""

import os
import pathlib
import subprocess

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def build_dir():
    build = pathlib.Path(os.environ.get("KORVEL_BUILD_DIR", ROOT / "build")).resolve()
    if not build.is_dir():
        pytest.skip(f"no build directory {build} (set KORVEL_BUILD_DIR)")
    return build


@pytest.fixture(scope="session")
def korvel_batch(build_dir):
    path = build_dir / "src" / "batch" / "korvel-batch"
    if not path.is_file():
        pytest.skip(f"korvel-batch is not built in {build_dir}")
    return path


@pytest.fixture(scope="session")
def make_survey(build_dir):
    path = build_dir / "samples" / "korvel-make-survey"
    if not path.is_file():
        pytest.skip(f"korvel-make-survey is not built in {build_dir}")
    return path


@pytest.fixture(scope="session")
def sample_star():
    return ROOT / "samples" / "sample_star.dat"


@pytest.fixture(scope="session")
def synthetic_stars(make_survey, tmp_path_factory):
    """Three synthetic stars of 120 observations each (seed 12)."""
    where = tmp_path_factory.mktemp("synthetic") / "stars"
    subprocess.run([str(make_survey), "--observations", "120", str(where), "3", "12"],
                   check=True, capture_output=True)
    stars = sorted(where.glob("star_*.dat"))
    assert len(stars) == 3
    return stars
