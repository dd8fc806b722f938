"""korvel.load on the archives' formats: the band read, its errors and what
was dropped, as korvel-batch stats reports them; a file it cannot read is
refused whole."""

import json
import subprocess

import numpy as np
import pytest

try:
    import korvel
except ImportError as error:  # the extension is built by scripts/test
    pytest.skip(f"the korvel module is not importable ({error}); build _korvel and put "
                "<build>/python on PYTHONPATH", allow_module_level=True)


def write_two_band_csv(path):
    """12 rows of g (one a limit, one without a magnitude) and 8 of r (one
    without), interleaved by date. Returns the usable rows per band as
    (jd, mag, err) in date order."""
    lines, usable = ["JD,Mag,Err,Band"], {"g": [], "r": []}
    for k in range(20):
        band = "g" if k % 5 < 3 else "r"
        jd, mag, err = 2459000.5 + 0.73 * k, 12 + 0.01 * k, 0.01 + 0.001 * k
        text = f"{mag:.3f}"
        if (band, k) == ("g", 5):
            text = f"<{mag + 2:.3f}"
        elif (band, k) in {("g", 7), ("r", 9)}:
            text = ""
        else:
            usable[band].append((jd, mag, err))
        lines.append(f"{jd:.4f},{text},{err:.4f},{band}")
    path.write_text("\n".join(lines) + "\n")
    return usable


def test_load_reads_the_fullest_band_with_its_errors_and_drops(korvel_batch, tmp_path):
    star = tmp_path / "star.csv"
    usable = write_two_band_csv(star)
    loaded = korvel.load(star)
    assert (loaded.format, loaded.band, loaded.time_system) == ("csv", "g", "JD")
    assert loaded.rows_read == 12 and loaded.nobs == 10
    assert loaded.rows_dropped == {"limit": 1, "missing": 1}
    jd, mag, err = map(np.array, zip(*usable["g"]))
    assert np.allclose(loaded.jd, jd) and np.allclose(loaded.mag, mag)
    assert loaded.err.dtype == np.float64 and np.allclose(loaded.err, err)
    assert loaded.warnings == [f"{star}: warning: CSV g: 10 of 12 rows (1 limit, 1 missing)"]
    # The keys and lines of korvel-batch stats, which reads the file alike.
    done = subprocess.run([str(korvel_batch), "stats", "--json", str(star)], capture_output=True,
                          text=True, timeout=60)
    j = json.loads(done.stdout)
    for key in ("format", "band", "time_system", "rows_read", "rows_dropped", "nobs"):
        assert loaded[key] == j[key], key
    assert loaded.warnings == done.stderr.splitlines()

    other = korvel.load(star, band="r")
    assert (other.band, other.rows_read, other.rows_dropped) == ("r", 8, {"missing": 1})
    assert np.allclose(other.err, [e for _, _, e in usable["r"]])
    # A plain file gives no errors.
    plain = tmp_path / "star.dat"
    plain.write_text("1 10.5\n2 10.6\n")
    assert korvel.load(plain).err is None and korvel.load(plain).format == "plain"


def test_a_file_that_cannot_be_read_as_its_format_is_refused_by_line(korvel_batch, tmp_path):
    bad = tmp_path / "bad.csv"
    bad.write_text('JD,Mag\n2459000.5,12.1\n2459001.5,"12.2\n')
    with pytest.raises(ValueError) as error:
        korvel.load(bad)
    assert str(error.value).startswith(f"{bad}:3: ")
    done = subprocess.run([str(korvel_batch), "stats", str(bad)], capture_output=True, text=True,
                          timeout=60)
    assert done.returncode == 3 and str(error.value) == done.stderr.strip()
    with pytest.raises(ValueError, match="nosuch"):
        korvel.load(bad, format="nosuch")
