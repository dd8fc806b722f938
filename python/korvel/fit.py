"""korvel.fit: the multi-frequency fit of korvel-batch fit, on arrays."""

import numpy as _np

from . import _korvel


def fit(jd, mag, err=None, fmin=None, fmax=None, snr=4, noise_box=2,
        max_frequencies=10, fap=None, frequencies=None):
    """Fit several sinusoids at once, found by automatic prewhitening.

    m(t) = Z + sum_i A_i sin(2 pi (f_i (t - t0) + phi_i)), every parameter
    fitted together by Levenberg-Marquardt. Without ``frequencies`` the
    highest peak of the residuals' amplitude spectrum over [fmin, fmax]
    (c/d; None: 1 / time span and half the inverse median gap, at most 50)
    is added and all are refitted until the new one's S/N (amplitude over
    the mean residual spectrum in a box of ``noise_box`` c/d; Breger et al.
    1993) is below ``snr``, the highest peak's false-alarm probability
    exceeds ``fap`` (None: no such limit), or ``max_frequencies`` are kept.
    frequencies: fit these as starts instead of searching. err: one error
    per observation; weights 1 / err^2 when every one is positive.

    Returns a dict with the keys of ``korvel-batch fit --json``:
    ``frequencies`` as columns (``f``, ``period``, ``amplitude``,
    ``phase``, their errors ``f_err`` ... and the analytic ones
    ``f_err_analytic`` ..., ``snr`` as float64 arrays; ``label`` and
    ``alias`` as lists of str), ``zero_point``, ``zero_point_error``,
    ``epoch``, ``residual_rms``, ``nobs``, ``fmin``, ``fmax``,
    ``weighted``, ``stop_reason`` ("snr", "fap", "max_frequencies",
    "fit_refused" or "given"), ``stop_text``, ``rejected`` (None or a dict of
    ``f``, ``amplitude``, ``snr``, ``fap``), and ``residuals`` (mag - model
    per observation). Data or options it cannot use raise ValueError.
    """
    from . import Result  # the package's, once it is imported
    raw = _korvel.fit(jd, mag, err, fmin, fmax, snr, noise_box,
                      max_frequencies, fap, frequencies)
    keys = ("f", "period", "amplitude", "phase", "f_err", "amplitude_err",
            "phase_err", "f_err_analytic", "amplitude_err_analytic",
            "phase_err_analytic", "snr")
    rows = raw["frequencies"]
    columns = {k: _np.array([_np.nan if r[k] is None else r[k] for r in rows],
                            dtype=_np.float64) for k in keys}
    columns["label"] = [r["label"] for r in rows]
    columns["alias"] = [r["alias"] for r in rows]
    raw["frequencies"] = Result(columns)
    return Result(raw)
