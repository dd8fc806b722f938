"""korvel.fit against korvel-batch fit: the same result on the same star,
and refusals as ValueError."""

import json
import subprocess

import numpy as np
import pytest

try:
    from korvel.fit import fit
except ImportError as error:  # the extension is built by scripts/test
    pytest.skip(f"the korvel module is not importable ({error}); build _korvel and put "
                "<build>/python on PYTHONPATH", allow_module_level=True)


def delta_scuti(seed=7):
    """Three frequencies, f3 = f1 + f2, 40 points a night for 15 nights."""
    rng = np.random.default_rng(seed)
    t = (np.arange(15)[:, None] + rng.uniform(0, 0.3, (15, 40))).ravel()
    mag = (10 + 0.05 * np.sin(2 * np.pi * 12.7 * t)
           + 0.03 * np.sin(2 * np.pi * (15.3 * t + 0.6))
           + 0.012 * np.sin(2 * np.pi * (28.0 * t + 0.35))
           + rng.normal(0, 0.005, t.size))
    return 2460000 + t, mag


def test_fit_gives_the_result_of_the_command(korvel_batch, tmp_path):
    jd, mag = delta_scuti()
    r = fit(jd, mag)
    np.testing.assert_allclose(r.frequencies.f, [12.7, 15.3, 28.0], atol=0.002)
    assert r.frequencies.label == ["", "", "f1+f2"]
    assert r.stop_reason == "snr"
    assert isinstance(r.residuals, np.ndarray) and r.residuals.size == jd.size
    assert r.residual_rms == pytest.approx(np.sqrt(np.mean(r.residuals ** 2)))

    star = tmp_path / "star.dat"
    star.write_text("".join(f"{t:.17g} {m:.17g}\n" for t, m in zip(jd, mag)))
    out = subprocess.run([str(korvel_batch), "fit", str(star), "--json"], capture_output=True,
                         text=True, timeout=120, check=True).stdout
    j = json.loads(out)
    assert set(r) == set(j) - {"warnings"} | {"residuals"}
    np.testing.assert_allclose(r.frequencies.f, [f["f"] for f in j["frequencies"]], rtol=1e-9)
    np.testing.assert_allclose(r.frequencies.snr, [f["snr"] for f in j["frequencies"]],
                               rtol=1e-6)


def test_fit_takes_given_frequencies_and_refuses_what_it_cannot_use():
    jd, mag = delta_scuti()
    r = fit(jd, mag, frequencies=[12.7, 15.3], max_frequencies=3)
    assert r.stop_reason == "given"
    assert r.frequencies.f.size == 2
    with pytest.raises(ValueError, match="closer than 1 / time span"):
        fit(jd, mag, frequencies=[12.7, 12.71])
    with pytest.raises(ValueError, match="S/N limit"):
        fit(jd, mag, snr=0)
    with pytest.raises(ValueError, match="err"):
        fit(jd, mag, err=np.ones(3))
