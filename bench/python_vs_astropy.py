#!/usr/bin/python3
"""Every KORVEL search method from Python against astropy's LombScargle (its
"fast" and "cython" methods) on the synthetic survey, over the same
frequency grid, in one run: stars per second on one core and the share of
stars whose best period is within 1 % of the true one (for the eclipsing
binaries also of half or twice it; constant stars left out).

Usage: bench/python_vs_astropy.py [--build BUILD_DIR] [--stars K] [--observations M]
    [--span D] [--periods LO HI] [--pmin P] [--pmax P] [--phase-shift S] [--methods LIST]
(BUILD_DIR defaults to build/; the korvel package is imported from
BUILD_DIR/python unless it is installed.) --span and --periods pass to
korvel-make-survey (the seasons in about D days, the variables' periods from
LO to HI days); --methods limits the run to some of lk, deeming, gls, mhaov,
pdm, ce, fast, cython. Lafler-Kinman and Deeming together are also reported
as one line, against astropy's fast method.

A survey of 300 stars of 650 observations over 2000 days, periods 1 to 100 d:
    bench/python_vs_astropy.py --stars 300 --observations 650 --span 2000 \
        --periods 1 100 --pmin 1 --pmax 100 --methods lk,deeming,fast
"""

import argparse
import csv
import os
import subprocess
import sys
import tempfile
import time

import numpy as np


def recovered(period, truth_period, kind):
    """True when period is within 1 % of the truth (or of half or twice it
    for an eclipsing binary, whose two eclipses look alike)."""
    targets = [truth_period]
    if kind == "eclipsing":
        targets += [truth_period / 2, truth_period * 2]
    return any(abs(period - p) <= 0.01 * p for p in targets)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--build", default=os.path.join(root, "build"))
    parser.add_argument("--stars", type=int, default=40)
    parser.add_argument("--observations", type=int, default=80)
    parser.add_argument("--pmin", type=float, default=0.2)
    parser.add_argument("--pmax", type=float, default=1.0)
    parser.add_argument("--phase-shift", type=float, default=0.05)
    parser.add_argument("--span", type=float)
    parser.add_argument("--periods", type=float, nargs=2, metavar=("LO", "HI"))
    parser.add_argument("--methods", default="lk,deeming,gls,mhaov,pdm,ce,fast,cython")
    args = parser.parse_args()
    wanted = set(args.methods.split(","))
    # Lafler-Kinman gives the frequencies astropy is run on.
    wanted.add("lk")

    sys.path.insert(0, os.path.join(args.build, "python"))
    import korvel
    from astropy.timeseries import LombScargle

    with tempfile.TemporaryDirectory() as scratch:
        stars = os.path.join(scratch, "stars")
        shape = ["--observations", str(args.observations)]
        if args.span is not None:
            shape += ["--span", str(args.span)]
        if args.periods is not None:
            shape += ["--periods"] + [str(p) for p in args.periods]
        subprocess.run([os.path.join(args.build, "samples", "korvel-make-survey")] + shape +
                       ["--", stars, str(args.stars)], check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(stars, "truth.csv"), newline="") as f:
            truth = list(csv.DictReader(f))
        data = [korvel.load(os.path.join(stars, row["file"])) for row in truth]

    grid = dict(pmin=args.pmin, pmax=args.pmax, phase_shift=args.phase_shift)
    methods = {
        "KORVEL Lafler-Kinman": lambda d: korvel.lafler_kinman(d.jd, d.mag, threads=1, **grid),
    }
    if "deeming" in wanted:
        methods["KORVEL Deeming"] = lambda d: korvel.deeming(d.jd, d.mag, threads=1, **grid)
    # The methods compared with the first two, where this build has them.
    for title, function in (("generalised Lomb-Scargle", "gls"),
                            ("multi-harmonic AoV", "mhaov"),
                            ("PDM", "pdm"), ("conditional entropy", "ce")):
        if function in wanted and hasattr(korvel, function):
            methods["KORVEL " + title] = (
                lambda d, f=getattr(korvel, function): f(d.jd, d.mag, threads=1, **grid))
    results = {name: [] for name in methods}
    elapsed = {name: 0.0 for name in methods}
    for name, search in methods.items():
        start = time.perf_counter()
        for d in data:
            results[name].append(search(d))
        elapsed[name] = time.perf_counter() - start

    # astropy over the very frequencies KORVEL tried for the same star.
    for method in [m for m in ("fast", "cython") if m in wanted]:
        name = f"astropy LombScargle ({method})"
        results[name] = []
        start = time.perf_counter()
        for d, lk in zip(data, results["KORVEL Lafler-Kinman"]):
            freq = lk.freq_lo + lk.freq_step * np.arange(lk.trials)
            power = LombScargle(d.jd - d.jd[0], d.mag).power(freq, method=method)
            results[name].append(1 / freq[int(np.argmax(power))])
        elapsed[name] = time.perf_counter() - start

    variables = [i for i, row in enumerate(truth) if row["type"] != "constant"]
    nobs = np.mean([len(d.jd) for d in data])
    trials = np.mean([r.trials for r in results["KORVEL Lafler-Kinman"]])
    print(f"{len(data)} stars, {nobs:.1f} observations and {trials:.0f} trial frequencies "
          f"per star on average; {len(variables)} variable")
    for name, found in results.items():
        periods = [r if isinstance(r, float) else float(r.best.period[0]) for r in found]
        share = np.mean([recovered(periods[i], float(truth[i]["period"]), truth[i]["type"])
                         for i in variables])
        print(f"{name:32s} {len(data) / elapsed[name]:8.2f} stars/s   "
              f"recovered {100 * share:5.1f} %")
    # What a survey of the two runs on each star takes, against the one
    # astropy search over the same frequencies.
    pair = ("KORVEL Lafler-Kinman", "KORVEL Deeming")
    fast = "astropy LombScargle (fast)"
    if all(name in elapsed for name in pair):
        both = sum(elapsed[name] for name in pair)
        line = f"{'KORVEL Lafler-Kinman + Deeming':32s} {both:8.2f} s in all"
        if fast in elapsed:
            line += f"; astropy fast {elapsed[fast]:.2f} s, ratio {both / elapsed[fast]:.2f}"
        print(line)


if __name__ == "__main__":
    main()
