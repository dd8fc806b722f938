"""Period analysis of variable-star photometry: KORVEL's engines from Python.

The functions run the compiled engines of the window and of korvel-batch,
so each gives exactly the numbers of the korvel-batch command of the same
name (``load`` those of ``stats``). Observations are given as array-likes
of dates (Julian Date) and magnitudes, converted to float64.

Every function returns a ``Result``: a dict whose keys are also
attributes (``r.best.period`` is ``r["best"]["period"]``), with the keys
of the command's ``--json`` output; arrays of numbers are numpy float64
arrays. File names may be str, bytes or os.PathLike. An argument of the
wrong type (a complex array, a text where a number belongs) raises
TypeError naming the parameter; bad values raise ValueError with the
message korvel-batch prints for the same fault; a missing file raises
FileNotFoundError, a file that cannot be opened or written OSError.

The engines release the GIL while they run: searches in several Python
threads run in parallel. Ctrl-C stops a running engine within a fraction
of a second with KeyboardInterrupt.

Methods:

- Lafler, J. & Kinman, T. D. 1965, ApJS 11, 216 (phase dispersion of the
  folded light curve).
- Deeming, T. J. 1975, Ap&SS 36, 137 (Fourier amplitude spectrum of
  unevenly sampled data, and the spectral window).
- Zechmeister, M. & Kürster, M. 2009, A&A 496, 577 (the generalised
  Lomb-Scargle periodogram: a weighted sinusoid plus offset): ``gls``.
- Schwarzenberg-Czerny, A. 1996, ApJ 460, L107 (multi-harmonic analysis of
  variance): ``mhaov``.
- Stellingwerf, R. F. 1978, ApJ 224, 953 (phase dispersion minimisation):
  ``pdm``.
- Graham, M. J. et al. 2013, MNRAS 434, 2629 (conditional entropy of the
  folded light curve): ``ce``.

``methods()`` names the searches this build has; a function whose method
the build lacks raises ValueError ("No search method pdm...").
"""

import numpy as _np

from . import _korvel
from .fit import fit

__version__ = "1.0.0"

__all__ = [
    "Result",
    "load",
    "load_analysis",
    "lafler_kinman",
    "deeming",
    "secondary",
    "gls",
    "mhaov",
    "pdm",
    "ce",
    "methods",
    "adopt",
    "reshuffle",
    "wave",
    "prewhiten",
    "model",
    "fit",
]

_DEFAULTS = _korvel.defaults()
_LK = _DEFAULTS["lk"]
_DM = _DEFAULTS["deeming"]
_SP = _DEFAULTS["secondary"]
# The methods beyond the first three share the grid of "Initial parameters"
# (Lafler-Kinman's), also before a build has them.
_GLS = _DEFAULTS.get("gls", _LK)
_MHAOV = _DEFAULTS.get("mhaov", _LK)
_PDM = _DEFAULTS.get("pdm", _LK)
_CE = _DEFAULTS.get("ce", _LK)
_MAX_TRIALS = _DEFAULTS["max_trials"]
_POINTS = _DEFAULTS["points"]
_BIN_LENGTH = _DEFAULTS["bin_length"]
_CURVE = _DEFAULTS["curve"]


class Result(dict):
    """The one shape of every result: a dict whose keys read as attributes."""

    def __getattr__(self, name):
        try:
            return self[name]
        except KeyError:
            raise AttributeError(name) from None

    def __dir__(self):
        return list(super().__dir__()) + list(self.keys())

    def __repr__(self):
        return "Result(" + ", ".join(sorted(self.keys())) + ")"


def _numbers(values):
    """A list of numbers (None for a missing one) as a float64 array."""
    return _np.array([_np.nan if v is None else v for v in values], dtype=_np.float64)


def _result(raw, arrays=()):
    """raw as a Result, the named lists of numbers as numpy arrays."""
    result = Result(raw)
    for key in arrays:
        if result.get(key) is not None:
            result[key] = _numbers(result[key])
    return result


def _warnings(raw):
    raw["warning_kinds"] = [Result(w) for w in raw["warning_kinds"]]
    return raw


def load(path, column=1, read_zeros=False, jd_min=None, jd_max=None,
         format="auto", band=None, time_col=None, mag_col=None, err_col=None,
         time_offset=0.0, flux=False):
    """Load an observation file exactly as File > Open and korvel-batch stats do.

    column: which number after the date is the magnitude (1 = the first);
    plain files only.
    read_zeros: keep observations whose magnitude is exactly 0; plain files
    only.
    jd_min, jd_max: the window of dates loaded, both ends included
    (None: no limit).
    format: "auto" (recognised from the content), "plain", "csv", "aavso",
    "aavso-extended", "ztf", "gaia", "fits" (Kepler/K2/TESS light curve) or
    "asassn", as korvel-batch's --format.
    band: the band read (None: the band with most usable rows).
    time_col, mag_col, err_col: a CSV's columns, by name (None: recognised
    from the header).
    time_offset: added to every date read, before jd_min and jd_max apply.
    flux: a FITS light curve's flux kept instead of converted to magnitudes.

    Returns a Result with ``jd``, ``mag`` and ``err`` (float64 arrays;
    ``err`` is None when the file gives no errors), the statistics of
    ``stats --json`` (``nobs``, ``mag_mean``, ``mag_var`` (divided by N),
    ``jd_min``, ``jd_max``, ``mag_min``, ``mag_max``; None when no
    observation passed the filters), what the load read, as ``stats --json``
    gives it (``format``, ``band`` (None when the file names none),
    ``time_system`` ("JD", "HJD", "BJD-TDB", ...), ``rows_read`` (data rows
    of the band read) and ``rows_dropped`` (a dict: rows left out by reason,
    "flagged", "limit", "missing", ...)), ``warnings`` (the lines
    korvel-batch prints on stderr: for an archive's file first what was kept
    and dropped, "star.csv: warning: CSV g: 2 of 4 rows (1 limit, 1
    missing)", then what the reader passed over, one line per kind) and
    ``warning_kinds`` (the JSON's ``warnings``: kind, count, first_line).

    Raises FileNotFoundError for a missing file ("star.dat: File does not
    exist..."), OSError for one that cannot be opened, and ValueError for a
    malformed line ("star.dat:3: Invalid numeric input"), for a file that
    cannot be read as its format (read whole or not at all: "star.csv:3: a
    quote that does not close"), an unknown format or band, and column or
    read_zeros given for a file that is not plain.
    """
    raw = _korvel.load(path, column, read_zeros, jd_min, jd_max, format, band,
                       time_col, mag_col, err_col, time_offset, flux)
    return Result(_warnings(raw))


def load_analysis(path):
    """Read an analysis file (File > Save analysis) and restore its observations.

    Returns a Result of the file's JSON document (``observations``,
    ``elements``, ``search_parameters``, ``last_search`` with its ``best``
    trials and ``peaks``, ``mean_curve``, ``collecting_file``, ``view`` and
    any key this version does not know), with ``observation_file`` (the
    file read), and ``jd`` and ``mag`` (float64 arrays): the observations the
    analysis left, deletions applied and residuals where it holds them, as
    ``korvel-batch ... --analysis`` restores them.

    Raises FileNotFoundError for a missing analysis file and ValueError with
    the reason for a damaged one, or for an observation file that no longer
    gives the observations the analysis was made on.
    """
    return Result(_korvel.load_analysis(path))


_SEARCH_ARRAYS = ("spec_high", "spec_low", "amp_hist", "amp_level", "amp_cum_pct", "sig_levels")


def _search(method, jd, mag, pmin, pmax, phase_shift, max_trials, threads,
            window=False, period=None, epoch=None, extremum_date=None,
            bins=None, mode=1, err=None, harmonics=None, covers=None,
            phase_bins=None, mag_bins=None):
    raw = _korvel.search(method, jd, mag, pmin, pmax, phase_shift, window,
                         period, epoch, extremum_date, bins, mode,
                         max_trials, threads, err=err, harmonics=harmonics,
                         covers=covers, phase_bins=phase_bins,
                         mag_bins=mag_bins)
    best = raw.pop("best")
    result = _result(raw, _SEARCH_ARRAYS)
    result["best"] = Result(
        period=_numbers([b["period"] for b in best]),
        statistic=_numbers([b["param"] for b in best]),
        frequency=_numbers([b["freq"] for b in best]))
    result["peaks"] = [Result(p) for p in result["peaks"]]
    return result


_SEARCH_DOC = """
    jd, mag: the observations (dates in days, ascending).
    pmin, pmax: the shortest and longest trial period, days.
    phase_shift: the largest phase shift between the first and the last
    observation from one trial to the next; the frequency step is
    phase_shift / (jd[-1] - jd[0]).
    max_trials: a grid of more trials is refused before the first one.
    threads: threads computing the trials (None: KORVEL_THREADS, else every
    core); the result does not depend on it.

    Returns a Result with ``best`` (the 20 best trials, best first:
    ``period``, ``statistic``, ``frequency`` arrays), the spectrum of 481
    columns over the frequency axis (``spec_high``, ``spec_low``: the
    highest and lowest statistic of the trials in each column;
    ``spec_max``, ``spec_min``: the range of the statistic), ``freq_lo``, ``freq_hi``,
    ``freq_step``, ``trials`` (trials made), ``method``, ``status`` (the
    final status line), ``messages`` (anything else the run reported) and
    ``peaks``: the 5 distinct peaks of the spectrum, best first, each a
    Result with the keys of ``korvel-batch search --json``'s peaks
    (``period``, ``frequency``, ``statistic``, ``fitted_period``,
    ``period_error``, ``harmonics``, ``fap`` with ``fap_method``
    ("analytic" here), ``fap_analytic``, ``snr``, ``label``, ``error``;
    pdm's also ``fap_pdm``, the false-alarm probability of its theta;
    None where a value does not exist).
    A refused search raises ValueError with korvel-batch's message (the
    dialogs' "Error in ..." texts, data that cannot be searched, a grid
    above max_trials).
"""


def lafler_kinman(jd, mag, pmin=_LK["pmin"], pmax=_LK["pmax"],
                  phase_shift=_LK["phase_shift"], max_trials=_MAX_TRIALS,
                  threads=None):
    """Lafler-Kinman search (Lafler & Kinman 1965, ApJS 11, 216).

    At each trial period the observations are folded and ordered by phase;
    theta is the mean squared step between magnitudes neighbouring in
    phase (the last closing on the first) over the variance of the
    magnitudes: a true period gives a smooth folded curve and a small
    theta. The spectrum shows 1/theta; ``best.statistic`` is theta
    (smallest first).
    """
    return _search("lk", jd, mag, pmin, pmax, phase_shift, max_trials,
                   threads)


lafler_kinman.__doc__ += _SEARCH_DOC


def deeming(jd, mag, pmin=_DM["pmin"], pmax=_DM["pmax"],
            phase_shift=_DM["phase_shift"], window=False,
            max_trials=_MAX_TRIALS, threads=None):
    """Deeming search (Deeming 1975, Ap&SS 36, 137).

    The amplitude of the discrete Fourier transform of the unevenly sampled
    magnitudes at each trial frequency; ``best.statistic`` is the amplitude
    (largest first). window=True computes the spectral window of the dates
    instead (the magnitudes are ignored).

    Besides the keys below, the distribution of the amplitudes over all
    trials: ``amp_trials``, ``amp_scale``, ``amp_hist`` (101 bins),
    ``amp_top_bin``, ``amp_level`` and ``amp_cum_pct`` (amplitude and
    cumulative percentage of each bin), ``sigma`` (the root mean square of
    the trial amplitudes) and ``sig_levels``: the amplitudes below which
    90, 99, 99.9 and 99.99 % of the trials fall, as Save statistics
    computes them (None without a distribution). A Deeming run on ``reshuffle``-d
    magnitudes shows what amplitudes noise alone reaches at these dates.
    """
    return _search("deeming", jd, mag, pmin, pmax, phase_shift, max_trials,
                   threads, window=window)


deeming.__doc__ += _SEARCH_DOC


def secondary(jd, mag, period, epoch=_SP["epoch"],
              extremum_date=_SP["extremum_date"], bins=_SP["bins"],
              mode=_SP["mode"], pmin=_SP["pmin"], pmax=_SP["pmax"],
              phase_shift=_SP["phase_shift"], max_trials=_MAX_TRIALS,
              threads=None):
    """Secondary-period search: a slow modulation of the light curve of the
    primary period (for example a Blazhko period).

    period, epoch: the primary period and its initial date (phase 0).
    extremum_date: a date of the extremal light-curve shape.
    bins: the number of phase bins; mode 1 divides the secondary phases
    into bins, mode 2 the primary phases.

    At each trial secondary period the observations are divided into bins
    (mode 1: by secondary phase, each bin's run a light curve of the
    primary period; mode 2: by primary phase, each bin ordered by
    secondary phase) and the Lafler-Kinman theta2 of those runs is taken.
    The spectrum shows the gain in smoothness, primary theta / theta2;
    ``best.statistic`` is theta2 / primary theta (smallest first), and
    ``primary_theta`` is the theta of the set folded on the primary
    period alone.
    """
    return _search("secondary", jd, mag, pmin, pmax, phase_shift, max_trials,
                   threads, period=period, epoch=epoch,
                   extremum_date=extremum_date, bins=bins, mode=mode)


secondary.__doc__ += _SEARCH_DOC


def methods():
    """The names of the searches this build has, as ``korvel-batch search
    --method`` takes them ("lk", "deeming", "secondary", "gls", ...)."""
    return list(_DEFAULTS["methods"])


_ERR_DOC = """
    err: the observations' errors (magnitudes, all above 0), or None;
    given, they reach the engine as a file's error column does.
"""


def gls(jd, mag, err=None, pmin=_GLS["pmin"], pmax=_GLS["pmax"],
        phase_shift=_GLS["phase_shift"], max_trials=_MAX_TRIALS, threads=None):
    """Generalised Lomb-Scargle search (Zechmeister & Kürster 2009, A&A 496,
    577).

    At each trial frequency a sinusoid plus a constant is fitted by
    weighted least squares; the power is the fraction of the weighted
    variance about the mean that the fit removes (0 to 1). With ``err``
    each observation weighs 1/err^2, else all weigh the same.
    ``best.statistic`` is the power (largest first).
    """
    return _search("gls", jd, mag, pmin, pmax, phase_shift, max_trials,
                   threads, err=err)


gls.__doc__ += _ERR_DOC + _SEARCH_DOC


def mhaov(jd, mag, err=None, harmonics=_DEFAULTS["harmonics"],
          pmin=_MHAOV["pmin"], pmax=_MHAOV["pmax"],
          phase_shift=_MHAOV["phase_shift"], max_trials=_MAX_TRIALS,
          threads=None):
    """Multi-harmonic analysis of variance (Schwarzenberg-Czerny 1996, ApJ
    460, L107).

    At each trial frequency a Fourier series of ``harmonics`` harmonics
    (1 .. 20) is fitted; the statistic is the analysis-of-variance ratio of
    the variance the series explains to the variance it leaves, which grows
    at a true period (largest first).
    """
    return _search("mhaov", jd, mag, pmin, pmax, phase_shift, max_trials,
                   threads, err=err, harmonics=harmonics)


mhaov.__doc__ += _ERR_DOC + _SEARCH_DOC


def pdm(jd, mag, err=None, bins=_DEFAULTS["pdm_bins"],
        covers=_DEFAULTS["pdm_covers"], pmin=_PDM["pmin"], pmax=_PDM["pmax"],
        phase_shift=_PDM["phase_shift"], max_trials=_MAX_TRIALS,
        threads=None):
    """Phase dispersion minimisation (Stellingwerf 1978, ApJ 224, 953).

    At each trial period the folded curve is divided into ``bins`` phase
    bins (2 .. 1000), in ``covers`` sets shifted by 1/(bins x covers)
    (1 .. 20); theta is the pooled variance within the bins over the
    variance of all magnitudes, small at a true period (smallest first).
    """
    return _search("pdm", jd, mag, pmin, pmax, phase_shift, max_trials,
                   threads, err=err, bins=bins, covers=covers)


pdm.__doc__ += _ERR_DOC + _SEARCH_DOC


def ce(jd, mag, err=None, phase_bins=_DEFAULTS["ce_phase_bins"],
       mag_bins=_DEFAULTS["ce_mag_bins"], pmin=_CE["pmin"], pmax=_CE["pmax"],
       phase_shift=_CE["phase_shift"], max_trials=_MAX_TRIALS, threads=None):
    """Conditional entropy (Graham et al. 2013, MNRAS 434, 2629).

    At each trial period the folded curve is binned on a grid of
    ``phase_bins`` phases by ``mag_bins`` magnitudes (each 2 .. 1000); the
    statistic is the entropy of the magnitudes given the phase, small when
    the phase tells the magnitude, at a true period (smallest first).
    """
    return _search("ce", jd, mag, pmin, pmax, phase_shift, max_trials,
                   threads, err=err, phase_bins=phase_bins, mag_bins=mag_bins)


ce.__doc__ += _ERR_DOC + _SEARCH_DOC


def adopt(jd, mag, pmin=_LK["pmin"], pmax=_LK["pmax"],
          phase_shift=_LK["phase_shift"], max_trials=_MAX_TRIALS, threads=None,
          peaks=5, fap_shuffles=0, seed=1):
    """One adopted period, as ``korvel-batch survey --methods adopted`` adopts it.

    Runs the Lafler-Kinman and the Deeming search (pmin, pmax, phase_shift,
    max_trials and threads as they take them), takes the first ``peaks``
    distinct peaks of each and adopts, among every peak with a Fourier fit,
    the one whose fit has the least Bayesian information criterion; twice
    its period where the odd harmonics of a fit at 2P are significant (an
    eclipsing binary of unequal minima). fap_shuffles > 0 computes the
    false-alarm probabilities from that many reshuffles (seeded by seed)
    instead of analytically.

    Returns a Result with ``period`` (days), ``error`` (one sigma, None when
    the fit gives none), ``fap``, ``method`` ("lk" or "deeming": whose peak
    it is), ``peak`` (its place in that search's ``peaks``, from 0),
    ``doubled`` (True when 2P was adopted) and ``reason`` (the rule's words
    for the choice). Raises ValueError with the reason when nothing can be
    adopted (no peak has a fit), and as the searches do for refused
    parameters.
    """
    return Result(_korvel.adopt(jd, mag, pmin, pmax, phase_shift, max_trials,
                                threads, peaks, fap_shuffles, seed))


def reshuffle(mag, seed):
    """The magnitudes dealt to the dates in a random order (Chaos).

    The same seed gives the order of ``korvel-batch reshuffle --seed``:
    a uniform permutation that keeps the sampling and the values but
    destroys any periodic signal. Returns a new float64 array.
    """
    return _korvel.reshuffle(mag, seed)


_CURVE_ARRAYS = ("phase", "mag", "phase_err", "mag_err", "count")


def _curve(raw):
    points = raw.pop("points")
    result = Result(raw)
    for key in _CURVE_ARRAYS:
        result[key] = _numbers([p[key] for p in points])
    result["count"] = result["count"].astype(_np.int64)
    return result


def wave(jd, mag, period, epoch, points=_POINTS, bin_length=_BIN_LENGTH):
    """The mean light curve of Wave (moving average over the folded curve).

    The observations are folded on period with phase 0 at epoch; each of
    ``points`` mean points (1 < points < 100) averages the observations
    within a phase bin of ``bin_length`` (0 < L <= 0.25).

    Returns a Result with the arrays ``phase``, ``mag`` (the mean points),
    ``phase_err``, ``mag_err`` (their standard errors), ``count``
    (observations averaged), and ``mag_high``, ``mag_low``: the points of
    ``wave --json`` as columns.
    """
    return _curve(_korvel.wave(jd, mag, period, epoch, points, bin_length))


def prewhiten(jd, mag, period, epoch, points=_POINTS, bin_length=_BIN_LENGTH,
              curve=_CURVE, collect=None, residuals=None):
    """Prewhitening: subtract the mean light curve of a period.

    The mean curve is computed as ``wave`` does; every magnitude is
    replaced by its difference from the curve at its phase. collect: a
    collecting file the curve is appended to (created when missing) as
    curve number ``curve`` (1 .. 100); residuals: a file the residuals are
    written to; None writes no file. A file that cannot be written raises
    OSError and writes neither.

    Returns a Result with ``residuals`` (one per observation), their
    ``mag_mean``, ``mag_var``, ``mag_min``, ``mag_max``, and ``curve``, the
    mean curve subtracted (as ``wave`` returns it).
    """
    raw = _korvel.prewhiten(jd, mag, period, epoch, points, bin_length, curve,
                            collect, residuals)
    raw["curve"] = _curve(raw["curve"])
    return Result(raw)


def model(collecting_file, t):
    """The model M(t) of a collecting file: the sum of its mean curves.

    Each curve contributes its value at the phase of t on its own period
    and initial date. Returns a Result with ``t``, ``mag`` (M(t)),
    ``curves`` (the number of curves read), ``warnings`` and
    ``warning_kinds`` as for ``load``.
    """
    raw = _korvel.model(collecting_file, t)
    return Result(_warnings(raw))
