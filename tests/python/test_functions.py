"""The korvel functions against korvel-batch: the same numbers, bit for bit,
and the same refusals with the same words."""

import json
import math
import os
import signal
import subprocess
import sys
import threading
import time
import warnings

import numpy as np
import pytest

try:
    import korvel
except ImportError as error:  # the extension is built by scripts/test
    pytest.skip(f"the korvel module is not importable ({error}); build _korvel and put "
                "<build>/python on PYTHONPATH", allow_module_level=True)

SAMPLE_PERIOD, SAMPLE_EPOCH = 0.5567809, 59000.7877
SAMPLE_GRID = dict(pmin=0.3, pmax=1)
SYNTHETIC_GRID = dict(pmin=0.2, pmax=1)


def run_batch(korvel_batch, *args, cwd=None):
    return subprocess.run([str(korvel_batch), *map(str, args)], capture_output=True, text=True,
                          timeout=60, cwd=cwd)


def batch_json(korvel_batch, *args):
    done = run_batch(korvel_batch, *args, "--json")
    assert done.returncode == 0, done.stderr
    return json.loads(done.stdout)


def refusal_text(done):
    """What korvel-batch said, without CLI11's pointer to --help."""
    lines = [line for line in done.stderr.splitlines()
             if line and line != "Run with --help for more information."]
    return "\n".join(lines)


def options(grid):
    """Keyword arguments as korvel-batch options."""
    args = []
    for key, value in grid.items():
        args += [f"--{key.replace('_', '-')}={value}"]
    return args


def assert_same_numbers(values, expected):
    """Every value equal to the JSON's (which writes a non-finite one as null)."""
    values = list(values)
    assert len(values) == len(expected)
    for got, want in zip(values, expected):
        if want is None:
            assert not math.isfinite(got)
        else:
            assert got == want


def assert_search_equal(result, j):
    for key in ("method", "trials", "freq_lo", "freq_hi", "freq_step"):
        assert result[key] == j[key], key
    assert_same_numbers(result.best.period, [b["period"] for b in j["best"]])
    assert_same_numbers(result.best.statistic, [b["param"] for b in j["best"]])
    assert_same_numbers(result.best.frequency, [b["freq"] for b in j["best"]])
    for key in ("spec_high", "spec_low", "spec_max", "spec_min"):
        assert_same_numbers(np.atleast_1d(result[key]), np.atleast_1d(j[key]).tolist())
    if j["method"] == "deeming":
        for key in ("amp_trials", "sigma", "amp_scale", "amp_top_bin", "status"):
            assert result[key] == j[key], key
        for key in ("amp_hist", "amp_level", "amp_cum_pct", "sig_levels"):
            assert_same_numbers(result[key], j[key])
    if j["method"] == "secondary":
        assert result.primary_theta == j["primary_theta"]
    # Every field of every peak (snr, fap_method, fap_analytic, ...), None for null.
    assert result.peaks == j["peaks"]


# --- load ---------------------------------------------------------------------------------

STATS_KEYS = ("nobs", "mag_mean", "mag_var", "jd_min", "jd_max", "mag_min", "mag_max")


@pytest.mark.parametrize("kwargs, args", [
    ({}, []),
    (dict(jd_min=59001, jd_max=59010.5), ["--jd-min", "59001", "--jd-max", "59010.5"]),
    (dict(column=2, read_zeros=True), ["--column", "2", "--read-zeros"]),
])
def test_load_gives_the_statistics_of_stats(korvel_batch, sample_star, kwargs, args):
    loaded = korvel.load(sample_star, **kwargs)
    done = run_batch(korvel_batch, "stats", sample_star, *args, "--json")
    j = json.loads(done.stdout)
    for key in STATS_KEYS:
        assert loaded[key] == j[key], key
    assert len(loaded.jd) == len(loaded.mag) == j["nobs"]
    # Column 2 of a file of two columns takes the next line's date.
    assert loaded.warnings == done.stderr.splitlines()
    assert loaded.warning_kinds == j["warnings"]


def test_load_reads_every_number_of_the_file(sample_star):
    loaded = korvel.load(sample_star)
    table = np.loadtxt(sample_star)
    assert loaded.jd.dtype == np.float64
    assert np.array_equal(loaded.jd, table[:, 0]) and np.array_equal(loaded.mag, table[:, 1])


def test_load_reports_what_the_reader_passed_over(korvel_batch, tmp_path):
    star = tmp_path / "star.dat"
    star.write_text("1 10.5\n2\n10.7\n3 10.1\n4 0\n5 10.3\n")
    loaded = korvel.load(star)
    done = run_batch(korvel_batch, "stats", star, "--json")
    assert loaded.warnings == done.stderr.splitlines()
    assert loaded.warnings[0].startswith(f"{star}:2: warning:")
    assert loaded.warning_kinds == json.loads(done.stdout)["warnings"]
    assert list(loaded.jd) == [1, 2, 3, 5]  # the zero magnitude is a missing one


def test_load_refuses_missing_and_malformed_files_with_the_batch_text(korvel_batch, tmp_path):
    missing = tmp_path / "missing.dat"
    with pytest.raises(FileNotFoundError) as error:
        korvel.load(missing)
    done = run_batch(korvel_batch, "stats", missing)
    assert done.returncode == 2 and str(error.value) == refusal_text(done)

    bad = tmp_path / "bad.dat"
    bad.write_text("1 10.5\n2 10.6\nx 10.7\n")
    with pytest.raises(ValueError) as error:
        korvel.load(bad)
    done = run_batch(korvel_batch, "stats", bad)
    assert done.returncode == 1 and str(error.value) == refusal_text(done)
    assert str(error.value) == f"{bad}:3: Invalid numeric input"

    with pytest.raises(ValueError, match=r"^--jd-min: nan is not a finite number\.\.\.$"):
        korvel.load(bad, jd_min=float("nan"))


# --- searches -----------------------------------------------------------------------------

SAMPLE_SEARCHES = [
    ("lk", korvel.lafler_kinman, SAMPLE_GRID),
    ("deeming", korvel.deeming, SAMPLE_GRID),
    ("deeming", korvel.deeming, dict(SAMPLE_GRID, window=True)),
    ("secondary", korvel.secondary,
     dict(period=SAMPLE_PERIOD, epoch=SAMPLE_EPOCH, extremum_date=59000, pmin=20, pmax=100)),
    ("secondary", korvel.secondary,
     dict(period=SAMPLE_PERIOD, epoch=SAMPLE_EPOCH, bins=4, mode=2, pmin=20, pmax=100)),
]


@pytest.mark.parametrize("method, search, grid", SAMPLE_SEARCHES,
                         ids=["lk", "deeming", "window", "secondary", "secondary-mode2"])
def test_searches_of_the_sample_star_equal_korvel_batch(korvel_batch, sample_star, method,
                                                        search, grid):
    star = korvel.load(sample_star)
    # The numbers do not depend on the threads: here one, the command every core.
    result = search(star.jd, star.mag, threads=1, **grid)
    args = options(grid) if "window" not in grid else options(SAMPLE_GRID) + ["--window"]
    assert_search_equal(result, batch_json(korvel_batch, "search", sample_star, "--method",
                                           method, *args))
    assert result.status.startswith("Done...")


def test_the_sample_star_period_is_found(sample_star):
    star = korvel.load(sample_star)
    result = korvel.lafler_kinman(star.jd, star.mag, **SAMPLE_GRID)
    assert round(result.best.period[0], 7) == SAMPLE_PERIOD
    assert result.best.statistic[0] == min(result.best.statistic)


@pytest.mark.parametrize("method, search", [("lk", korvel.lafler_kinman),
                                            ("deeming", korvel.deeming)])
def test_searches_of_synthetic_stars_equal_korvel_batch(korvel_batch, synthetic_stars, method,
                                                        search):
    for path in synthetic_stars:
        star = korvel.load(path)
        # Any array-like: a list of Python floats gives the same numbers.
        result = search(list(star.jd), star.mag.tolist(), threads=2, **SYNTHETIC_GRID)
        assert_search_equal(result, batch_json(korvel_batch, "search", path, "--method", method,
                                               *options(SYNTHETIC_GRID)))


def sinusoid(period, n=300, seed=3):
    """A sinusoidal star: n dates over about 100 days, a little noise, and
    errors that differ from one observation to the next."""
    rng = np.random.default_rng(seed)
    jd = 2450000 + np.sort(rng.uniform(0, 100, n))
    err = rng.uniform(0.005, 0.05, n)
    mag = 12 + 0.3 * np.sin(2 * np.pi * (jd - jd[0]) / period) + rng.normal(0, 1, n) * err
    return jd, mag, err


def test_gls_with_errors_equals_korvel_batch(korvel_batch, tmp_path):
    jd, mag, err = sinusoid(0.4567)
    path = tmp_path / "star.csv"
    path.write_text("jd,mag,err\n" + "".join(f"{float(t)!r},{float(m)!r},{float(e)!r}\n"
                                              for t, m, e in zip(jd, mag, err)))
    star = korvel.load(path)
    result = korvel.gls(star.jd, star.mag, star.err, threads=1, **SYNTHETIC_GRID)
    assert_search_equal(result, batch_json(korvel_batch, "search", path, "--method", "gls",
                                           *options(SYNTHETIC_GRID)))
    # The errors weighed the fit: without them the powers differ.
    unweighted = korvel.gls(star.jd, star.mag, threads=1, **SYNTHETIC_GRID)
    assert not np.array_equal(unweighted.best.statistic, result.best.statistic)


@pytest.mark.parametrize("method", [
    pytest.param(name, marks=pytest.mark.skipif(name not in korvel.methods(),
                                                reason=f"this build has no {name} search"))
    for name in ("gls", "mhaov", "pdm", "ce")])
def test_every_new_method_finds_the_period_of_a_sinusoid(method):
    period = 0.4567
    jd, mag, err = sinusoid(period)
    # Twice the period lies beyond pmax: a folding method finds it as good.
    result = getattr(korvel, method)(jd, mag, err, pmin=0.2, pmax=0.8)
    assert result.method == method
    assert abs(result.best.period[0] - period) < 0.01 * period


def test_adopt_gives_the_adopted_row_of_korvel_batch_survey(korvel_batch, synthetic_stars,
                                                          tmp_path):
    out = tmp_path / "adopted.jsonl"
    done = run_batch(korvel_batch, "survey", "--methods", "adopted", *options(SYNTHETIC_GRID),
                     *synthetic_stars, "-o", out)
    assert done.returncode == 0, done.stderr
    rows = {row["file"]: row for row in map(json.loads, out.read_text().splitlines())}
    for path in synthetic_stars:
        star = korvel.load(path)
        adopted = korvel.adopt(star.jd, star.mag, threads=1, **SYNTHETIC_GRID)
        row = rows[str(path)]
        assert (adopted.period, adopted.error, adopted.fap) == (
            row["peak_period_1"], row["peak_error_1"], row["peak_fap_1"])
        assert row["peak_label_1"] == f"{adopted.method} peak {adopted.peak + 1}: {adopted.reason}"
        assert adopted.doubled == adopted.reason.endswith("so 2P")
    # Four observations are too few for any Fourier fit: nothing is adopted.
    with pytest.raises(ValueError, match="No peak has a Fourier fit"):
        korvel.adopt([0, 1.3, 2.1, 3.7], [12.1, 12.5, 12.2, 12.4], **SYNTHETIC_GRID)
    with pytest.raises(ValueError, match="peaks"):
        korvel.adopt(star.jd, star.mag, peaks=0)


# --- reshuffle, wave, prewhiten, model ----------------------------------------------------

def test_reshuffle_deals_as_korvel_batch_does(korvel_batch, sample_star, tmp_path):
    star = korvel.load(sample_star)
    out = tmp_path / "shuffled.dat"
    done = run_batch(korvel_batch, "reshuffle", sample_star, "--seed", "42", "-o", out)
    assert done.returncode == 0, done.stderr
    written = korvel.load(out)  # four decimals, as the sample star's magnitudes
    dealt = korvel.reshuffle(star.mag, 42)
    assert np.array_equal(dealt, written.mag) and np.array_equal(star.jd, written.jd)
    assert not np.array_equal(dealt, star.mag)
    assert np.array_equal(np.sort(dealt), np.sort(star.mag))
    assert not np.array_equal(korvel.reshuffle(star.mag, 43), dealt)


def curve_points(curve):
    return [{"phase": p, "mag": m, "phase_err": pe, "mag_err": me, "count": c}
            for p, m, pe, me, c in zip(curve.phase, curve.mag, curve.phase_err, curve.mag_err,
                                       curve["count"])]


@pytest.mark.parametrize("kwargs, args", [({}, []),
                                          (dict(points=20, bin_length=0.1),
                                           ["--points", "20", "--bin-length", "0.1"])])
def test_wave_equals_korvel_batch(korvel_batch, sample_star, synthetic_stars, kwargs, args):
    for path, period, epoch in [(sample_star, SAMPLE_PERIOD, SAMPLE_EPOCH),
                                (synthetic_stars[0], 0.4, 0.25)]:
        star = korvel.load(path)
        curve = korvel.wave(star.jd, star.mag, period, epoch, **kwargs)
        j = batch_json(korvel_batch, "wave", path, "--period", period, "--epoch", epoch, *args)
        assert curve_points(curve) == j["points"]
        assert (curve.mag_high, curve.mag_low) == (j["mag_high"], j["mag_low"])


def test_prewhiten_and_model_equal_korvel_batch(korvel_batch, sample_star, tmp_path):
    star = korvel.load(sample_star)
    elements = ["--period", SAMPLE_PERIOD, "--epoch", SAMPLE_EPOCH]
    j = batch_json(korvel_batch, "prewhiten", sample_star, *elements, "--curve", "3",
                   "--collect", tmp_path / "batch.sup", "--residuals", tmp_path / "batch.o")
    result = korvel.prewhiten(star.jd, star.mag, SAMPLE_PERIOD, SAMPLE_EPOCH, curve=3,
                              collect=tmp_path / "python.sup", residuals=tmp_path / "python.o")
    assert list(result.residuals) == j["residuals"]
    for key in ("mag_mean", "mag_var", "mag_min", "mag_max"):
        assert result[key] == j[key], key
    assert curve_points(result.curve) == batch_json(korvel_batch, "wave", sample_star,
                                                    *elements)["points"]
    for suffix in ("sup", "o"):
        assert ((tmp_path / f"python.{suffix}").read_bytes()
                == (tmp_path / f"batch.{suffix}").read_bytes())
    # Without file names nothing is written and the numbers are the same.
    quiet = korvel.prewhiten(star.jd, star.mag, SAMPLE_PERIOD, SAMPLE_EPOCH)
    assert list(quiet.residuals) == j["residuals"]

    j = batch_json(korvel_batch, "model", tmp_path / "batch.sup", "--from", "59000", "--to",
                   "59003", "--samples", "301")
    t = [sample["t"] for sample in j["samples"]]
    model = korvel.model(tmp_path / "python.sup", t)
    assert model.curves == j["curves"] == 1
    assert list(model.mag) == [sample["mag"] for sample in j["samples"]]
    assert korvel.model(tmp_path / "python.sup", 59000.25).mag[0] == model.mag[25]


def test_prewhiten_that_cannot_write_changes_no_file(korvel_batch, sample_star, tmp_path):
    star = korvel.load(sample_star)
    collect, residuals = tmp_path / "c.sup", tmp_path / "nowhere" / "r.o"
    with pytest.raises(OSError) as error:
        korvel.prewhiten(star.jd, star.mag, SAMPLE_PERIOD, SAMPLE_EPOCH, collect=collect,
                         residuals=residuals)
    assert not collect.exists()
    done = run_batch(korvel_batch, "prewhiten", sample_star, "--period", SAMPLE_PERIOD,
                     "--epoch", SAMPLE_EPOCH, "--collect", collect, "--residuals", residuals)
    assert done.returncode == 4 and str(error.value) == refusal_text(done)


# --- refusals -----------------------------------------------------------------------------

SECONDARY = dict(period=SAMPLE_PERIOD, pmin=20, pmax=100)
WAVE = dict(period=SAMPLE_PERIOD, epoch=SAMPLE_EPOCH)
NAN, INF = float("nan"), float("inf")

# (python function, its keyword arguments, the korvel-batch command and options)
PARAMETER_REFUSALS = [
    (korvel.lafler_kinman, dict(pmin=-1), ["search", "--method", "lk", "--pmin=-1"]),
    (korvel.lafler_kinman, dict(pmin=2, pmax=1), ["search", "--method", "lk", "--pmin=2",
                                                  "--pmax=1"]),
    (korvel.lafler_kinman, dict(phase_shift=0), ["search", "--method", "lk",
                                                 "--phase-shift=0"]),
    (korvel.lafler_kinman, dict(threads=0), ["search", "--method", "lk", "--threads=0"]),
    (korvel.deeming, dict(pmin=NAN), ["search", "--method", "deeming", "--pmin=nan"]),
    (korvel.deeming, dict(pmin=0.01, max_trials=1000),
     ["search", "--method", "deeming", "--pmin=0.01", "--max-trials=1000"]),
    (korvel.deeming, dict(max_trials=0), ["search", "--method", "deeming", "--max-trials=0"]),
    (korvel.secondary, dict(SECONDARY, period=0),
     ["search", "--method", "secondary", "--period=0", "--pmin=20", "--pmax=100"]),
    (korvel.secondary, dict(SECONDARY, bins=1),
     ["search", "--method", "secondary", "--period=0.5", "--bins=1"]),
    (korvel.secondary, dict(SECONDARY, mode=3),
     ["search", "--method", "secondary", "--period=0.5", "--mode=3"]),
    (korvel.secondary, dict(SECONDARY, extremum_date=INF),
     ["search", "--method", "secondary", "--period=0.5", "--extremum-date=inf"]),
    (korvel.wave, dict(WAVE, points=1), ["wave", "--period=1", "--epoch=0", "--points=1"]),
    (korvel.wave, dict(WAVE, bin_length=0.3), ["wave", "--period=1", "--epoch=0",
                                               "--bin-length=0.3"]),
    (korvel.wave, dict(WAVE, period=0), ["wave", "--period=0", "--epoch=0"]),
    (korvel.wave, dict(WAVE, epoch=-INF), ["wave", "--period=1", "--epoch=-inf"]),
    (korvel.prewhiten, dict(WAVE, curve=0), ["prewhiten", "--period=1", "--epoch=0",
                                             "--curve=0"]),
]


@pytest.mark.parametrize("function, kwargs, args", PARAMETER_REFUSALS)
def test_parameters_are_refused_with_the_batch_text(korvel_batch, sample_star, function, kwargs,
                                                    args):
    star = korvel.load(sample_star)
    with pytest.raises(ValueError) as error:
        function(star.jd, star.mag, **kwargs)
    done = run_batch(korvel_batch, args[0], sample_star, *args[1:])
    assert done.returncode in (3, 105), done.stderr
    assert str(error.value) == refusal_text(done)


DATA_REFUSALS = {
    "no observations": "",
    "one observation": "1 10.5\n",
    "equal magnitudes": "1 10.5\n2 10.5\n3 10.5\n",
    "descending dates": "3 10.5\n2 10.7\n1 10.6\n",
}


@pytest.mark.parametrize("text", DATA_REFUSALS.values(), ids=DATA_REFUSALS.keys())
def test_data_that_cannot_be_searched_are_refused_with_the_batch_text(korvel_batch, tmp_path,
                                                                      text):
    star_file = tmp_path / "star.dat"
    star_file.write_text(text)
    star = korvel.load(star_file)
    for method, search in (("lk", korvel.lafler_kinman), ("deeming", korvel.deeming)):
        with pytest.raises(ValueError) as error:
            search(star.jd, star.mag)
        done = run_batch(korvel_batch, "search", star_file, "--method", method)
        assert done.returncode == 3 and str(error.value) == refusal_text(done)


def test_nothing_to_reshuffle_or_prewhiten_is_refused_with_the_batch_text(korvel_batch,
                                                                          tmp_path):
    empty = tmp_path / "empty.dat"
    empty.write_text("")
    with pytest.raises(ValueError) as error:
        korvel.reshuffle([], 1)
    done = run_batch(korvel_batch, "reshuffle", empty, "--seed", "1", "-o", tmp_path / "o")
    assert done.returncode == 3 and str(error.value) == refusal_text(done)
    with pytest.raises(ValueError) as error:
        korvel.prewhiten([], [], 1, 0)
    done = run_batch(korvel_batch, "prewhiten", empty, "--period", "1", "--epoch", "0")
    assert done.returncode == 3 and str(error.value) == refusal_text(done)


def test_model_file_refusals_are_those_of_korvel_batch(korvel_batch, tmp_path):
    missing = tmp_path / "missing.sup"
    with pytest.raises(FileNotFoundError) as error:
        korvel.model(missing, [1.0])
    done = run_batch(korvel_batch, "model", missing, "--from", "0", "--to", "1")
    assert done.returncode == 2 and str(error.value) == refusal_text(done)
    bad = tmp_path / "bad.sup"
    bad.write_text(" 1  2     0.50000000  59000.0000 disturbed\n0.100 12.0000\nx\n")
    with pytest.raises(ValueError) as error:
        korvel.model(bad, [1.0])
    done = run_batch(korvel_batch, "model", bad, "--from", "0", "--to", "1")
    assert done.returncode == 1 and str(error.value) == refusal_text(done)


def test_arrays_only_python_can_give_are_refused_clearly():
    jd, mag = [1.0, 2.0, 3.0], [10.0, 10.5, 10.2]
    with pytest.raises(ValueError, match=r"^jd and mag differ in length: 3 and 2 values\.\.\.$"):
        korvel.lafler_kinman(jd, mag[:2])
    with pytest.raises(ValueError, match=r"^mag\[1\]: nan is not a finite number\.\.\.$"):
        korvel.deeming(jd, [10.0, NAN, 10.2])
    with pytest.raises(ValueError, match=r"^jd\[2\]: inf is not a finite number\.\.\.$"):
        korvel.wave([1.0, 2.0, INF], mag, 1, 0)
    with pytest.raises(ValueError, match=r"^t\[0\]: -inf is not a finite number\.\.\.$"):
        korvel.model("unused.sup", [-INF])
    with pytest.raises(ValueError, match=r"^jd: a one-dimensional array"):
        korvel.secondary([jd], [mag], 0.5)
    with pytest.raises(ValueError, match=r"^seed: a whole number"):
        korvel.reshuffle(mag, -1)


# --- the GIL ------------------------------------------------------------------------------

def iterations_of_this_thread_during(call):
    """How often this thread goes round a loop while another thread makes the call."""
    started, finished = threading.Event(), threading.Event()
    counter, during = [0], []

    def work():
        started.set()
        before = counter[0]
        call()
        during.append(counter[0] - before)
        finished.set()

    worker = threading.Thread(target=work)
    worker.start()
    started.wait()
    while not finished.is_set():
        counter[0] += 1
    worker.join()
    return during[0]


def test_a_search_lets_other_python_threads_run(sample_star):
    star = korvel.load(sample_star)
    results = []
    searched = iterations_of_this_thread_during(lambda: results.append(korvel.lafler_kinman(
        star.jd, star.mag, pmin=0.1, pmax=1, phase_shift=0.05, threads=1)))
    assert results[0].status.startswith("Done...")
    # A call that holds the GIL lets this thread run only in the moments the
    # interpreter switches threads around it; a search that releases it, all along.
    held = iterations_of_this_thread_during(lambda: sum(range(10**7)))
    assert searched > 10000 and searched > 10 * held, (searched, held)


# --- arguments of the wrong kind ----------------------------------------------------------

NUL_BYTE = "A file name cannot hold a NUL byte..."


@pytest.mark.parametrize("convert", [str, lambda p: os.fsencode(str(p)), lambda p: p],
                         ids=["str", "bytes", "PathLike"])
def test_every_path_parameter_takes_str_bytes_and_path_like(sample_star, tmp_path, convert):
    star = korvel.load(convert(sample_star))
    assert star.nobs == korvel.load(sample_star).nobs
    collect, residuals = tmp_path / "c.sup", tmp_path / "r.o"
    korvel.prewhiten(star.jd, star.mag, SAMPLE_PERIOD, SAMPLE_EPOCH, collect=convert(collect),
                     residuals=convert(residuals))
    assert collect.is_file() and residuals.is_file()
    assert korvel.model(convert(collect), [59000.0]).curves == 1


@pytest.mark.parametrize("call, parameter", [
    (lambda bad: korvel.load(bad), "path"),
    (lambda bad: korvel.model(bad, [1.0]), "collecting_file"),
    (lambda bad: korvel.prewhiten([1, 2, 3], [10, 11, 10.5], 1, 0, collect=bad), "collect"),
    (lambda bad: korvel.prewhiten([1, 2, 3], [10, 11, 10.5], 1, 0, residuals=bad), "residuals"),
])
def test_a_bad_file_name_is_refused_before_any_file_is_touched(sample_star, tmp_path,
                                                               monkeypatch, call, parameter):
    monkeypatch.chdir(tmp_path)
    # A NUL byte would cut the name short: "a\0b.sup" would write a.
    for bad in (f"{sample_star}\0junk", "a\0b.sup", b"a\0b.sup"):
        with pytest.raises(ValueError) as error:
            call(bad)
        assert str(error.value) == NUL_BYTE
    # Another type is no file name, not one made of its text.
    for bad, kind in ((123, "int"), (None, "NoneType"), (1.5, "float")):
        if bad is None and parameter in ("collect", "residuals"):
            continue  # None: no file
        with pytest.raises(TypeError) as error:
            call(bad)
        assert str(error.value) == (f"{parameter}: a file name (str, bytes or os.PathLike) is "
                                    f"needed, not {kind}...")
    assert list(tmp_path.iterdir()) == []


@pytest.mark.parametrize("values, what", [
    (np.array([1 + 1j, 2, 3]), "complex numbers"),
    (np.array([1.0, 2.0, 3.0], dtype=object), "Python objects"),
    ([1.0, None, 3.0], "Python objects"),
    (["1", "2", "3"], "text"),
])
def test_arrays_that_are_not_real_numbers_are_refused_by_name(values, what):
    real = [1.0, 2.0, 3.0]
    calls = [(lambda v: korvel.lafler_kinman(v, real), "jd"),
             (lambda v: korvel.deeming(real, v), "mag"),
             (lambda v: korvel.wave(v, real, 1, 0), "jd"),
             (lambda v: korvel.reshuffle(v, 1), "mag"),
             (lambda v: korvel.model("unused.sup", v), "t")]
    for call, name in calls:
        with warnings.catch_warnings():
            warnings.simplefilter("error")  # no numpy warning on the way
            with pytest.raises(TypeError) as error:
                call(values)
        assert str(error.value) == f"{name}: real numbers are needed, not {what}..."
    with pytest.raises(TypeError, match=r"^jd: an array of real numbers is needed, not list"):
        korvel.lafler_kinman([[1.0, 2.0], [3.0]], real)
    # Integers and booleans are real numbers.
    assert korvel.reshuffle(np.array([1, 2, 3], dtype=np.int16), 5).dtype == np.float64


@pytest.mark.parametrize("call, message", [
    (lambda s: korvel.lafler_kinman(s.jd, s.mag, pmin="0.3"), "pmin: a number is needed, not str"),
    (lambda s: korvel.deeming(s.jd, s.mag, window=1), "window: True or False is needed, not int"),
    (lambda s: korvel.lafler_kinman(s.jd, s.mag, threads=1.5),
     "threads: a whole number is needed, not float"),
    (lambda s: korvel.secondary(s.jd, s.mag, period=True),
     "period: a number is needed, not bool"),
    (lambda s: korvel.wave(s.jd, s.mag, 1, 0, points=2.0),
     "points: a whole number is needed, not float"),
    (lambda s: korvel.load(__file__, column="1"), "column: a whole number is needed, not str"),
    (lambda s: korvel.load(__file__, read_zeros=None),
     "read_zeros: True or False is needed, not NoneType"),
    (lambda s: korvel.reshuffle(s.mag, 1.0), "seed: a whole number is needed, not float"),
])
def test_a_wrong_argument_type_is_one_line_naming_the_parameter(call, message):
    star = korvel.Result(jd=[1.0, 2.0, 3.0], mag=[10.0, 10.5, 10.2])
    with pytest.raises(TypeError) as error:
        call(star)
    assert str(error.value) == message + "..."


def test_whole_numbers_out_of_range_are_refused_by_name():
    with pytest.raises(ValueError, match=r"^column: a whole number from -2147483648 to "
                                         r"2147483647 is needed\.\.\.$"):
        korvel.load("unused.dat", column=2 ** 40)
    with pytest.raises(ValueError, match=r"^seed: a whole number from 0 to "):
        korvel.reshuffle([1.0, 2.0], 2 ** 64)
    # numpy's whole numbers and the largest seed are taken.
    assert len(korvel.reshuffle([1.0, 2.0], np.uint64(2 ** 64 - 1))) == 2


# --- Ctrl-C -------------------------------------------------------------------------------

INTERRUPTED_CHILD = r"""
import os, sys, numpy as np, korvel
engine, source, threads = sys.argv[1], sys.argv[2], int(sys.argv[3])
if source == "sample":
    star = korvel.load(sys.argv[4]); jd, mag = star.jd, star.mag
else:
    rng = np.random.default_rng(1)
    jd = np.sort(rng.uniform(0, 3000, 300000))
    mag = 12 + 0.3 * np.sin(2 * np.pi * jd / 0.71) + rng.normal(0, 0.05, jd.size)
    np.savetxt("big.dat", np.c_[jd, mag], fmt="%.6f")
long_grid = dict(pmin=0.05, pmax=10, phase_shift=0.001, max_trials=10**12, threads=threads)
runs = {
    "lk": lambda: korvel.lafler_kinman(jd, mag, **long_grid),
    "deeming": lambda: korvel.deeming(jd, mag, **long_grid),
    "secondary": lambda: korvel.secondary(jd, mag, 0.71, pmin=0.5, pmax=100,
                                          phase_shift=0.0005, max_trials=10**12,
                                          threads=threads),
    # Engines that end in a fraction of a second, over and over.
    "load": lambda: [korvel.load("big.dat") for _ in range(10**6)],
    "wave": lambda: [korvel.wave(jd, mag, 0.71, 0, points=99, bin_length=0.25)
                     for _ in range(10**6)],
}
tasks = lambda: len(os.listdir("/proc/self/task"))
before = tasks()
print("ready", flush=True)
try:
    runs[engine]()
    print("finished", flush=True)
except KeyboardInterrupt:
    print("interrupted", flush=True)
import time
deadline = time.monotonic() + 5
while tasks() > before and time.monotonic() < deadline:
    time.sleep(0.01)
print("threads left", tasks() - before, flush=True)
print(korvel.lafler_kinman(jd[:300], mag[:300], pmin=0.3, pmax=1).status, flush=True)
"""


@pytest.mark.parametrize("engine, source, threads", [
    ("lk", "sample", 1), ("deeming", "sample", 2), ("secondary", "sample", 2),
    ("lk", "synthetic", 2), ("deeming", "synthetic", 1), ("load", "synthetic", 1),
    ("wave", "synthetic", 1),
])
def test_ctrl_c_stops_an_engine_at_once_and_the_module_still_works(build_dir, sample_star,
                                                                   tmp_path, engine, source,
                                                                   threads):
    env = dict(os.environ, PYTHONPATH=str(build_dir / "python"))
    child = subprocess.Popen([sys.executable, "-c", INTERRUPTED_CHILD, engine, source,
                              str(threads), str(sample_star)], cwd=tmp_path, env=env,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    # Read through one buffer to the end; a child that hangs is killed.
    watchdog = threading.Timer(60, child.kill)
    watchdog.start()
    try:
        assert child.stdout.readline() == "ready\n"
        time.sleep(1)
        child.send_signal(signal.SIGINT)
        sent = time.monotonic()
        line = child.stdout.readline()
        delay = time.monotonic() - sent
        out, err = child.stdout.read(), child.stderr.read()
        child.wait()
    finally:
        watchdog.cancel()
        child.kill()
    assert line == "interrupted\n", err
    # Before: a search held KeyboardInterrupt until it ended (10 s on the sample star).
    assert delay < 2, delay
    # The search stopped too, rather than running on unseen.
    assert out.splitlines() == ["threads left 0", "Done..."] and child.returncode == 0, err


def _analysis(star, **changes):
    """A minimal analysis of star (four observations, the second deleted)."""
    document = {
        "format": "korvel-analysis", "version": 1,
        "observations": {"file": str(star), "column": 1, "read_zeros": False,
                         "jd_min": 1, "jd_max": 4, "loaded_count": 4, "intensities": False,
                         "deleted": [{"index": 2, "jd": 2, "mag": 11}], "marked": []},
        "elements": {"period": 0.5, "epoch": 1, "secondary_period": 0, "secondary_epoch": 0,
                     "extremum_date": 0, "bins": 8, "period_doubled": False},
        "search_parameters": {"window_spectrum": False, "secondary": {"mode": 1}},
        "mean_curve": {"number": 1, "points": 0, "bin_length": 0, "mag_high": 0,
                       "mag_low": 0, "state": "", "curve": []},
        "view": {"view": "t", "ready": "y", "jd_low": 1, "jd_high": 4, "mag_low": 10,
                 "mag_high": 13, "phase_min": -0.5, "phase_max": 1, "full_range": True,
                 "mirror": False, "mirror_jd": 0},
        "a_later_key": [1, 2],
    }
    document.update(changes)
    return document


def test_load_analysis_restores_the_analysed_observations_and_refuses_damage(tmp_path):
    star = tmp_path / "star.dat"
    star.write_text("1 10\n2 11\n3 12\n4 13\n")
    path = tmp_path / "star.korvel.json"
    path.write_text(json.dumps(_analysis(star)))
    result = korvel.load_analysis(str(path))
    assert list(result.jd) == [1, 3, 4] and list(result.mag) == [10, 12, 13]
    assert result.elements["period"] == 0.5
    assert result.a_later_key == [1, 2]
    assert result.observation_file == str(star)

    path.write_text(json.dumps(_analysis(star, version=2)))
    with pytest.raises(ValueError, match="version 2 is newer"):
        korvel.load_analysis(str(path))
    star.write_text("1 10\n2 11.5\n3 12\n4 13\n")
    path.write_text(json.dumps(_analysis(star)))
    with pytest.raises(ValueError, match="the file has changed"):
        korvel.load_analysis(str(path))
    with pytest.raises(FileNotFoundError):
        korvel.load_analysis(str(tmp_path / "missing.korvel.json"))
