"""python3 -m korvel.survey on a local Dask cluster against korvel-batch survey."""

import os
import pathlib
import re
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


def _one_line_refusal(run, code):
    """One line of refusal (and CLI11's pointer to --help), no traceback."""
    assert run.returncode == code, run.stderr
    lines = [line for line in run.stderr.splitlines()
             if line != "Run with --help for more information."]
    assert "Traceback" not in run.stderr and len(lines) == 1, run.stderr


def test_help_names_this_command(build_dir, tmp_path):
    run = dask_survey(build_dir, ["--help"], tmp_path)
    assert run.returncode == 0
    assert "Usage: python3 -m korvel.survey [OPTIONS]" in run.stdout
    assert "korvel-batch" not in run.stdout and "--local-workers N" in run.stdout


@pytest.mark.parametrize("args, code", [
    (["-o", "{list}"], 3),                                    # the list itself
    (["-o", "{star}"], 3),                                    # one of the stars
    (["-o", "out.csv", "--local-workers", "0"], 3),
    (["-o", "out.csv", "--local-workers", "2", "--scheduler", "tcp://127.0.0.1:1"], 3),
    (["-o", "out.csv", "--top", "30"], 105),
    (["-o", "out.csv", "--scheduler", "tcp://127.0.0.1:1"], 2),  # nobody answers
])
def test_refusals_come_before_any_file_is_touched(build_dir, survey_stars, tmp_path, args,
                                                  code):
    star_list = tmp_path / "stars.txt"
    star_list.write_text(survey_stars.read_text())
    star = pathlib.Path(star_list.read_text().split()[0])
    before_star = star.read_bytes()
    (tmp_path / "out.csv").write_text("rows of an earlier run\n")
    args = [a.format(list=star_list, star=star) for a in args]
    started = time.monotonic()
    run = dask_survey(build_dir, ["--list", str(star_list), *FAST, *args], tmp_path)
    # A scheduler that does not answer is given up within seconds, not half a minute.
    assert time.monotonic() - started < 20
    _one_line_refusal(run, code)
    assert star_list.read_text() == survey_stars.read_text()
    assert star.read_bytes() == before_star
    assert (tmp_path / "out.csv").read_text() == "rows of an earlier run\n"


def test_local_workers_are_capped_by_cores_and_memory(build_dir, survey_stars, tmp_path):
    run = dask_survey(build_dir, ["--list", str(survey_stars), *FAST, "--local-workers", "1000",
                                  "-o", "out.csv"], tmp_path)
    assert run.returncode == 0, run.stderr
    cap = run.stderr.splitlines()[0]
    assert re.fullmatch(r"--local-workers 1000: capped at (\d+) \((\d+) cores, [\d.]+ GiB free\)",
                        cap), cap
    workers, cores = map(int, re.findall(r"\d+", cap)[1:3])
    assert 1 <= workers <= cores == len(os.sched_getaffinity(0))
    assert len(header_and_rows(tmp_path / "out.csv")[1]) == 2 * (STARS + 1)


@pytest.mark.parametrize("sig", [signal.SIGTERM, signal.SIGINT])
@pytest.mark.parametrize("delay", [0.3, 0.8, 1.5])
def test_a_signal_while_the_cluster_starts_stops_the_survey(build_dir, survey_stars, tmp_path,
                                                            sig, delay):
    run = subprocess.Popen([PYTHON, "-m", "korvel.survey", "--list", str(survey_stars), *SLOW,
                            "--local-workers", "2", "-o", "out.csv"], cwd=tmp_path,
                           env=_env(build_dir), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           text=True, start_new_session=True)
    try:
        time.sleep(delay)
        run.send_signal(sig)
        _, err = run.communicate(timeout=30)
    finally:
        run.kill()
    assert run.returncode == 128 + sig, err
    assert "Traceback" not in err and "Task was destroyed" not in err, err
    # The cluster is closed: no worker process of the survey is left behind.
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline:
        try:
            os.killpg(run.pid, 0)
        except ProcessLookupError:
            break
        time.sleep(0.1)
    else:
        pytest.fail("processes of the survey outlived it")


@pytest.mark.parametrize("out, why", [("/dev/full", "No space left on device"),
                                      ("nowhere/out.csv", "No such file or directory")])
def test_output_that_cannot_be_written_is_one_line_and_exit_4(build_dir, survey_stars,
                                                              tmp_path, out, why):
    run = dask_survey(build_dir, ["--list", str(survey_stars), *FAST, "--local-workers", "1",
                                  "-o", out], tmp_path)
    _one_line_refusal(run, 4)
    assert run.stderr == f"{out}: cannot be written: {why}\n"
