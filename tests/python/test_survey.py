"""python3 -m korvel.survey on a local Dask cluster against korvel-batch survey."""

import os
import pathlib
import signal
import subprocess
import time

import pytest

PYTHON = "/usr/bin/python3"
STARS = 20
# A small grid: each star takes a fraction of a second.
FAST = ["--pmin", "0.3", "--pmax", "1", "--phase-shift", "0.1"]
# A finer grid, so that a run can be stopped while stars remain.
SLOW = ["--pmin", "0.2", "--pmax", "1", "--phase-shift", "0.02"]


@pytest.fixture(scope="module")
def survey_stars(make_survey, tmp_path_factory):
    """A list of 20 synthetic stars and one file that does not exist."""
    where = tmp_path_factory.mktemp("survey")
    subprocess.run([str(make_survey), "--observations", "40",
                    str(where / "stars"), str(STARS), "7"], check=True, capture_output=True)
    names = sorted(str(p) for p in (where / "stars").glob("star_*.dat"))
    assert len(names) == STARS
    names.insert(5, str(where / "stars" / "missing.dat"))
    star_list = where / "stars.txt"
    star_list.write_text("\n".join(names) + "\n")
    return star_list


def _env(build):
    return dict(os.environ, PYTHONPATH=str(build / "python"))


def batch_survey(program, args, cwd):
    return subprocess.run([str(program), "survey", *args],
                          cwd=cwd, capture_output=True, text=True, timeout=120)


def dask_survey(build, args, cwd, **kwargs):
    return subprocess.run([PYTHON, "-m", "korvel.survey", *args], cwd=cwd, env=_env(build),
                          capture_output=True, text=True, timeout=120, **kwargs)


def header_and_rows(path):
    """(the CSV header or None, the rows sorted), checking that every row is whole."""
    text = pathlib.Path(path).read_text()
    assert text.endswith("\n"), "a row was cut off"
    lines = text.splitlines()
    if path.suffix == ".csv":
        return lines[0], sorted(lines[1:])
    return None, sorted(lines)


@pytest.mark.parametrize("suffix", [".csv", ".jsonl"])
def test_rows_equal_those_of_korvel_batch(build_dir, korvel_batch, survey_stars, tmp_path,
                                          suffix):
    args = ["--list", str(survey_stars), *FAST]
    reference = batch_survey(korvel_batch, [*args, "--jobs", "2", "-o", "ref" + suffix], tmp_path)
    assert reference.returncode == 0, reference.stderr
    run = dask_survey(build_dir, [*args, "--local-workers", "2", "-o", "out" + suffix],
                      tmp_path)
    assert run.returncode == 0, run.stderr

    header, rows = header_and_rows(tmp_path / ("out" + suffix))
    assert (header, rows) == header_and_rows(tmp_path / ("ref" + suffix))
    assert len(rows) == 2 * (STARS + 1)
    missing = [row for row in rows if "missing.dat" in row]
    assert len(missing) == 2 and all("File does not exist" in row for row in missing)


def test_stopped_survey_resumes_to_the_rows_of_an_uninterrupted_run(build_dir, korvel_batch,
                                                                    survey_stars, tmp_path):
    args = ["--list", str(survey_stars), *SLOW]
    out = tmp_path / "out.csv"
    reference = batch_survey(korvel_batch, [*args, "--jobs", "2", "-o", "ref.csv"], tmp_path)
    assert reference.returncode == 0, reference.stderr

    run = subprocess.Popen([PYTHON, "-m", "korvel.survey", *args, "--local-workers", "2",
                            "-o", str(out)], cwd=tmp_path, env=_env(build_dir),
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and run.poll() is None:
            if out.exists() and out.read_text().count("\n") >= 1 + 3 * 2:
                break
            time.sleep(0.02)
        run.send_signal(signal.SIGTERM)
        _, err = run.communicate(timeout=60)
    finally:
        run.kill()
    assert run.returncode == 128 + signal.SIGTERM, err
    assert "--resume continues it" in err
    header, stopped = header_and_rows(out)
    assert 2 * 3 <= len(stopped) < 2 * (STARS + 1)

    # A row cut off by a harder kill is dropped on resuming.
    with open(out, "a") as f:
        f.write(stopped[0][:20])
    resumed = dask_survey(build_dir, [*args, "--local-workers", "2", "-o", str(out),
                                         "--resume"], tmp_path)
    assert resumed.returncode == 0, resumed.stderr
    assert header_and_rows(out) == header_and_rows(tmp_path / "ref.csv")


def test_star_whose_task_keeps_failing_gets_error_rows_once(korvel_batch, survey_stars,
                                                            tmp_path, monkeypatch):
    from distributed import LocalCluster

    from korvel import survey

    stars = survey_stars.read_text().split()[:4]
    doomed = next(star for star in stars if os.path.exists(star))
    searched = survey.search_star

    def failing(args, file, methods):
        if file == doomed:
            raise RuntimeError("disk on fire\nsecond line")
        return searched(args, file, methods)

    # Workers in this process run the replaced task.
    monkeypatch.setattr(survey, "search_star", failing)
    with LocalCluster(n_workers=1, threads_per_worker=2, processes=False,
                      dashboard_address=None) as cluster:
        code = survey.main([*stars, *FAST, "--scheduler", cluster.scheduler_address,
                            "-o", str(tmp_path / "out.csv")])
    assert code == 0
    reference = batch_survey(korvel_batch, [*stars, *FAST, "-o", "ref.csv"], tmp_path)
    header, rows = header_and_rows(tmp_path / "out.csv")
    expected_header, expected = header_and_rows(tmp_path / "ref.csv")
    assert header == expected_header
    assert [r for r in rows if doomed not in r] == [r for r in expected if doomed not in r]
    failed = [r for r in rows if doomed in r]
    empty = "," * (len(header.split(",")) - 3)
    assert failed == [f"{doomed},deeming{empty},RuntimeError: disk on fire; second line",
                      f"{doomed},lk{empty},RuntimeError: disk on fire; second line"]


@pytest.mark.parametrize("args", [
    ["--methods", "lk,fourier"],
    ["--top", "30"],
    ["--methods", "lk", "--epoch", "nan"],
    ["--methods", "secondary"],
    ["--resume"],
    ["--no-such-option"],
])
def test_bad_command_line_is_refused_as_korvel_batch_refuses_it(build_dir, korvel_batch,
                                                                 survey_stars, tmp_path, args):
    args = ["--list", str(survey_stars), *args]
    expected = batch_survey(korvel_batch, args, tmp_path)
    run = dask_survey(build_dir, [*args, "--local-workers", "1"], tmp_path)
    assert expected.returncode != 0
    assert (run.returncode, run.stderr) == (expected.returncode, expected.stderr)
    assert run.stdout == ""


def test_unreadable_list_and_cluster_options_are_refused(build_dir, tmp_path):
    run = dask_survey(build_dir, ["--list", "absent.txt", "-o", "out.csv"], tmp_path)
    assert run.returncode == 2 and run.stderr.startswith("absent.txt: ")
    run = dask_survey(build_dir, ["a.dat", "--local-workers", "0"], tmp_path)
    assert run.returncode == 3 and "--local-workers: 0" in run.stderr
    run = dask_survey(build_dir, ["a.dat", "--local-workers", "2", "--scheduler",
                                     "tcp://127.0.0.1:1"], tmp_path)
    assert run.returncode == 3 and "exclude each other" in run.stderr
    assert not (tmp_path / "out.csv").exists()
