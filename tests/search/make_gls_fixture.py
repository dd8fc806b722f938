#!/usr/bin/env python3
"""Prints the table of lomb_scargle_test.cpp: a fixed synthetic star (57
dated magnitudes with errors) and its generalised Lomb-Scargle power at 20
frequencies, with its errors and without, as astropy computes it. Run by
hand when the table is to be remade; neither the build nor the tests need
it."""

import numpy as np
from astropy.timeseries import LombScargle

rng = np.random.default_rng(20091)
n = 57
t = np.sort(rng.uniform(0, 120, n))
dy = rng.uniform(0.01, 0.08, n)
y = 12.3 + 0.25 * np.sin(2 * np.pi * t / 3.7 + 0.4) + rng.normal(0, dy)
freqs = np.linspace(0.02, 1.5, 20)
freqs = np.append(freqs[:-1], 1 / 3.7)  # one at the star's own frequency


def power(errors):
    return LombScargle(t, y, errors, fit_mean=True, center_data=True,
                       normalization="standard").power(freqs, method="slow")


def rows(name, values):
    body = ",\n".join("    " + ", ".join(repr(float(v)) for v in values[i:i + 4])
                      for i in range(0, len(values), 4))
    return f"const std::vector<double> {name} = {{\n{body}}};\n"


print(rows("kT", t) + rows("kMag", y) + rows("kErr", dy) + rows("kFreq", freqs) +
      rows("kPower", power(dy)) +
      rows("kPowerNoErrors", power(None)))
