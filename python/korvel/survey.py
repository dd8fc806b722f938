"""A survey of many stars on a Dask cluster, row for row korvel-batch survey's.

    python3 -m korvel.survey FILE... | --list F [options of korvel-batch survey]
        [--scheduler ADDRESS | --local-workers N] -o OUT.csv|OUT.jsonl [--resume]

Every option but the last two is korvel-batch survey's, read by its own
parser: the same defaults, refusals, messages and exit codes. Each star is
one task: loaded and searched in a worker process by the same code as
korvel-batch survey, with one trial thread (--jobs N, when given, sets the
trial threads of each star instead). Its rows are written, in one flushed
write, as soon as its task is done, so the file holds whole rows whenever
the run ends; --resume continues a run as korvel-batch survey --resume does.

--scheduler ADDRESS sends the tasks to a running dask-scheduler
(tcp://host:8786); without it a cluster of --local-workers N worker
processes (default: every core), one thread each, runs on this machine.
Workers import korvel: on this machine they inherit PYTHONPATH; a remote
worker needs the package installed (scripts/install-python) or PYTHONPATH
set, and must see the observation files under the names given (use absolute
paths on a shared file system).

A task that fails is run again twice (a worker that dies takes its task to
another one); a star whose task still fails gets its rows with the failure
in the error column. SIGINT or SIGTERM stops the survey: no further star is
submitted, the pending ones are cancelled, the cluster is closed, and the
exit code is 128 + the signal.
"""

import collections
import os
import signal
import sys
import time

from korvel import _korvel

EXIT_OK = 0
EXIT_FILE_MISSING = 2  # also: the cluster could not be started or reached
EXIT_REFUSED = 3
EXIT_WRITE_ERROR = 4

# Tries of a star's task: Dask runs a failed task again this many times.
TASK_RETRIES = 2

_CLUSTER_HELP = """
Cluster (python3 -m korvel.survey):
  --scheduler ADDRESS         Run the stars on the dask-scheduler at ADDRESS (tcp://host:8786)
  --local-workers N           Without --scheduler: N worker processes on this machine, one thread
                              each (default: every core)
"""


class _Refused(Exception):
    """A command line refused before the survey's own parser sees it."""

    def __init__(self, message, exit_code=EXIT_REFUSED):
        super().__init__(message)
        self.exit_code = exit_code


def _split_cluster_options(argv):
    """Takes --scheduler and --local-workers out of argv.

    Returns (the arguments of korvel-batch survey, address or None, number of
    local workers or None). Everything after "--" is left as it is.
    """
    rest, values = [], {"--scheduler": None, "--local-workers": None}
    i = 0
    while i < len(argv):
        arg = argv[i]
        if arg == "--":
            rest.extend(argv[i:])
            break
        name, equals, value = arg.partition("=")
        if name in values:
            if not equals:
                if i + 1 >= len(argv):
                    raise _Refused(f"{name} needs a value...")
                i += 1
                value = argv[i]
            values[name] = value
        else:
            rest.append(arg)
        i += 1
    scheduler, workers = values["--scheduler"], values["--local-workers"]
    if scheduler is not None and workers is not None:
        raise _Refused("--scheduler and --local-workers exclude each other: a scheduler "
                       "brings its own workers...")
    if workers is not None:
        try:
            workers = int(workers)
        except ValueError:
            workers = 0
        if workers < 1:
            raise _Refused(f"--local-workers: {values['--local-workers']} is not a number "
                           "of workers (1 or more)...")
    if scheduler is not None and not scheduler:
        raise _Refused("--scheduler needs an address (tcp://host:8786)...")
    return rest, scheduler, workers


def search_star(args, file, methods):
    """The task of one star: (its rows as text, the warnings for stderr).

    args are the arguments of korvel-batch survey, parsed again in the worker;
    only plain strings travel between the processes.
    """
    return _korvel.survey_search_star(args, file, methods)


def _one_line(error):
    """The text of a task's failure, as one line for the error column."""
    text = f"{type(error).__name__}: {error}" if str(error) else type(error).__name__
    return "; ".join(line for line in text.splitlines() if line.strip())


class _Progress:
    """korvel-batch survey's progress bar on stderr, when asked for."""

    def __init__(self, enabled, stars):
        self.enabled, self.stars, self.done = enabled, stars, 0
        self.start = time.monotonic()
        self.last_draw = 0.0
        self.width = 0

    def star_done(self):
        self.done += 1

    def draw(self, now=False):
        """Redraws the bar, at most ten times a second unless now."""
        if not self.enabled:
            return
        t = time.monotonic()
        if not now and t - self.last_draw < 0.1:
            return
        self.last_draw = t
        line = _korvel.survey_progress_line(self.done, self.stars, t - self.start)
        sys.stderr.write("\r" + line + " " * max(0, self.width - len(line)))
        sys.stderr.flush()
        self.width = len(line)

    def print(self, text):
        """Writes whole lines above the bar."""
        if self.width:
            sys.stderr.write("\r" + " " * self.width + "\r")
            self.width = 0
        sys.stderr.write(text)
        self.draw(now=True)
        sys.stderr.flush()

    def close(self):
        if self.enabled:
            self.draw(now=True)
            sys.stderr.write("\n")
            sys.stderr.flush()


class _StopSignals:
    """SIGINT and SIGTERM end the survey between two stars' rows.

    As in korvel-batch, a second signal of the same kind ends the process at
    once.
    """

    def __init__(self):
        self.signum = 0
        self.previous = {s: signal.signal(s, self._on_signal)
                         for s in (signal.SIGINT, signal.SIGTERM)}

    def _on_signal(self, signum, _frame):
        self.signum = signum
        signal.signal(signum, signal.SIG_DFL)

    def restore(self):
        for s, handler in self.previous.items():
            if signal.getsignal(s) == self._on_signal:
                signal.signal(s, handler)


class _RowSink:
    """OUT opened for appending (made ready by the C++ side), or stdout."""

    def __init__(self, out):
        self.name = out or "stdout"
        self.fd = os.open(out, os.O_WRONLY | os.O_APPEND) if out else sys.stdout.fileno()
        self.owned = bool(out)

    def write(self, text):
        # One write per star: a kill cannot split a star's rows.
        data = text.encode("utf-8", "surrogateescape")
        while data:
            data = data[os.write(self.fd, data):]

    def close(self):
        if self.owned:
            os.close(self.fd)


def _start_cluster(scheduler, workers):
    """A client of the scheduler at ADDRESS, or of a new local cluster."""
    import logging

    from distributed import Client, LocalCluster

    if scheduler is not None:
        return Client(scheduler), None
    cluster = LocalCluster(n_workers=workers or os.cpu_count() or 1, threads_per_worker=1,
                           processes=True, dashboard_address=None,
                           silence_logs=logging.ERROR)
    return Client(cluster), cluster


def _close_cluster(client, cluster):
    for part in (client, cluster):
        if part is None:
            continue
        try:
            part.close()
        except Exception:  # noqa: BLE001 - shutting down whatever state it is in
            pass


def _run(args, stars, sink, progress, stop, client):
    """Submits the stars and writes their rows as they arrive.

    Returns the number of stars written; stops early once stop.signum is set.
    """
    from distributed import as_completed

    # Enough tasks in flight to keep every worker busy, few enough that a
    # stop has little to cancel and a huge survey does not flood the scheduler.
    threads = sum(client.nthreads().values()) or 1
    window = max(16, 4 * threads)
    pending = collections.deque(stars)
    in_flight = {}
    finished = as_completed(with_results=True, raise_errors=False)
    written = 0
    try:
        while pending or in_flight:
            while pending and len(in_flight) < window and not stop.signum:
                file, methods = pending.popleft()
                future = client.submit(search_star, args, file, methods, pure=False,
                                       retries=TASK_RETRIES)
                in_flight[future] = (file, methods)
                finished.add(future)
            if stop.signum:
                break
            batch = finished.next_batch(block=False)
            if not batch:
                progress.draw()
                time.sleep(0.02)
                continue
            for future, result in batch:
                file, methods = in_flight.pop(future)
                warnings = ""
                if future.status == "finished":
                    rows, warnings = result
                else:
                    # Failed after its retries, or lost with its workers.
                    error = future.exception() if future.status == "error" else result
                    rows = _korvel.survey_failed_rows(args, file, methods, _one_line(error))
                sink.write(rows)
                written += 1
                progress.star_done()
                if warnings:
                    progress.print(warnings)
            progress.draw()
    finally:
        if in_flight:
            client.cancel(list(in_flight))
    return written


def main(argv=None):
    """Runs the survey; returns the exit code of korvel-batch survey."""
    argv = list(sys.argv[1:] if argv is None else argv)
    try:
        args, scheduler, workers = _split_cluster_options(argv)
        line = _korvel.survey_command_line(args)
        header, done = _korvel.survey_start_output(args)
    except _korvel.SurveyRefused as refused:
        if refused.to_stdout:
            sys.stdout.write(refused.text + _CLUSTER_HELP)
        else:
            sys.stderr.write(refused.text)
        return refused.exit_code
    except _Refused as refused:
        print(refused, file=sys.stderr)
        return refused.exit_code

    stars = _korvel.survey_plan(args, done)
    try:
        sink = _RowSink(line["out"])
    except OSError as error:
        print(f"{line['out']}: cannot be written: {error.strerror}", file=sys.stderr)
        return EXIT_WRITE_ERROR
    stop = _StopSignals()
    progress = _Progress(line["progress"], len(stars))
    client = cluster = None
    written = 0
    try:
        sink.write(header)
        if not stars:
            return EXIT_OK
        try:
            client, cluster = _start_cluster(scheduler, workers)
        except Exception as error:  # noqa: BLE001 - whatever keeps the cluster away
            where = f"the scheduler at {scheduler}" if scheduler else "a local Dask cluster"
            print(f"Cannot reach {where}: {_one_line(error)}", file=sys.stderr)
            return EXIT_FILE_MISSING
        try:
            written = _run(args, stars, sink, progress, stop, client)
        finally:
            # The figures of the survey, not of the cluster's shutdown.
            progress.close()
    except OSError as error:
        print(f"{sink.name}: cannot be written: {error.strerror}", file=sys.stderr)
        return EXIT_WRITE_ERROR
    finally:
        _close_cluster(client, cluster)
        sink.close()
        stop.restore()
    if stop.signum and written < len(stars):
        print(f"Survey stopped: {written} of {len(stars)} stars written; "
              "--resume continues it", file=sys.stderr)
        return 128 + stop.signum
    return EXIT_OK


if __name__ == "__main__":
    sys.exit(main())
