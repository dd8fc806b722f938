"""A survey of many stars on a Dask cluster, row for row korvel-batch survey's.

    python3 -m korvel.survey FILE... | --list F [options of korvel-batch survey]
        [--scheduler ADDRESS | --local-workers N] -o OUT.csv|OUT.jsonl [--resume]

Every option but the last two is korvel-batch survey's, read by its own
parser: the same defaults, refusals, messages and exit codes, the format
options (--format, --band, --time-col, --mag-col, --err-col, --time-offset,
--flux) included: each star is read in its own format, recognised from its
content unless --format names one, and a star read in an archive's format
adds to its JSON-lines rows what was read (format, band, time_system,
rows_read, rows_dropped). Each star is
one task: loaded and searched in a worker process by the same code as
korvel-batch survey, with one trial thread (--jobs N, when given, sets the
trial threads of each star instead). Its rows are written, in one flushed
write, as soon as its task is done, so the file holds whole rows whenever
the run ends; --resume continues a run as korvel-batch survey --resume does.

--scheduler ADDRESS sends the tasks to a running dask-scheduler
(tcp://host:8786; one that does not answer within 5 s is given up); without
it a cluster of --local-workers N worker processes (default: every core),
one thread each, runs on this machine -- never more than its cores and its
free memory hold (a cap is said on stderr).
Workers import korvel: on this machine they inherit PYTHONPATH; a remote
worker needs the package installed (scripts/install-python) or PYTHONPATH
set, and must see the observation files under the names given (use absolute
paths on a shared file system).

A task that fails is run again twice (a worker that dies takes its task to
another one); a star whose task still fails gets its rows with the failure
in the error column. SIGINT or SIGTERM stops the survey, also while the
cluster starts: no further star is submitted, the pending ones are
cancelled, the cluster is closed, and the exit code is 128 + the signal.
Every refusal of the command line comes before OUT is touched, and OUT is
started only once the cluster is there.
"""

# One file of some 460 lines: the command line, the cluster, the signals and
# the row sink are one command's parts and read best in one place.

import collections
import contextlib
import logging
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

# How long a scheduler may take to answer before the survey gives up on it
# (Dask's own default waits half a minute).
CONNECT_TIMEOUT = 5

# Memory a local worker takes (its process and its nanny's, with a star's
# search): more workers than the free memory holds would swap or be killed.
WORKER_MEMORY = 256 * 2 ** 20

_CLUSTER_HELP = """
Cluster (python3 -m korvel.survey):
  --scheduler ADDRESS         Run the stars on the dask-scheduler at ADDRESS (tcp://host:8786);
                              given up when it does not answer within 5 s
  --local-workers N           Without --scheduler: N worker processes on this machine, one thread
                              each (default and most: every core, as many as free memory holds)
"""


# The shared parser's help speaks of korvel-batch survey, which runs the
# stars in one process; these lines say what this command is instead.
_HELP_LINES = {
    "Run period searches over many stars in one process":
        "Run period searches over many stars on a Dask cluster",
    "Usage: korvel-batch survey": "Usage: python3 -m korvel.survey",
    "Threads working on the stars (default: KORVEL_THREADS, else every core)":
        "Threads working on the trials of each star (default: 1)",
}


def _help_text(text):
    for theirs, ours in _HELP_LINES.items():
        text = text.replace(theirs, ours)
    return text + _CLUSTER_HELP


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


def _free_memory():
    """Bytes of memory available to new processes (None when unknown)."""
    try:
        with open("/proc/meminfo") as meminfo:
            for line in meminfo:
                if line.startswith("MemAvailable:"):
                    return int(line.split()[1]) * 1024
    except (OSError, ValueError, IndexError):
        pass
    try:
        return os.sysconf("SC_AVPHYS_PAGES") * os.sysconf("SC_PAGE_SIZE")
    except (OSError, ValueError):
        return None


def _local_workers(asked):
    """The local workers to start: those asked for (None: one per core),
    at most one per core and as many as the free memory holds; a cap below
    what was asked is said in one line on stderr."""
    try:
        cores = len(os.sched_getaffinity(0))
    except (AttributeError, OSError):
        cores = os.cpu_count() or 1
    free = _free_memory()
    by_memory = cores if free is None else max(1, free // WORKER_MEMORY)
    workers = min(asked or cores, cores, by_memory)
    if asked is not None and workers < asked or asked is None and workers < cores:
        memory = "" if free is None else f", {free / 2 ** 30:.1f} GiB free"
        name = f"--local-workers {asked}" if asked is not None else "local workers"
        print(f"{name}: capped at {workers} ({cores} cores{memory})", file=sys.stderr)
    return workers


def search_star(args, file, methods):
    """The task of one star: (its rows as text, the warnings for stderr:
    for a star in an archive's format first its dropped rows, as
    "FILE: warning: ZTF zr: 412 of 440 rows (28 flagged)").

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


class _Stopped(BaseException):
    """Raised by a stop signal where the survey waits without looking."""


class _StopSignals:
    """SIGINT and SIGTERM end the survey between two stars' rows.

    As in korvel-batch, a second signal of the same kind ends the process at
    once. While the cluster starts, a signal raises _Stopped instead: the
    start blocks without looking at signum.
    """

    def __init__(self):
        self.signum = 0
        self.raising = False
        self.previous = {s: signal.signal(s, self._on_signal)
                         for s in (signal.SIGINT, signal.SIGTERM)}

    def _on_signal(self, signum, _frame):
        self.signum = signum
        signal.signal(signum, signal.SIG_DFL)
        if self.raising:
            self.raising = False
            raise _Stopped()

    @contextlib.contextmanager
    def raising_while(self):
        """A block a stop signal ends at once, by raising _Stopped."""
        if self.signum:
            raise _Stopped()
        self.raising = True
        try:
            yield
        finally:
            self.raising = False

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
            self.owned = False
            os.close(self.fd)


def _start_cluster(scheduler, workers, stop):
    """A client of the scheduler at ADDRESS, or of a new local cluster of
    that many workers: (client, cluster or None).

    Raises _Stopped when a stop signal comes first; a local cluster is then
    closed before.
    """
    from distributed import Client, LocalCluster

    if scheduler is not None:
        with stop.raising_while():
            return Client(scheduler, timeout=CONNECT_TIMEOUT), None
    # The scheduler first (in this process), the workers after, so that a
    # stop never leaves worker processes of a cluster not yet returned.
    with stop.raising_while():
        cluster = LocalCluster(n_workers=0, threads_per_worker=1, processes=True,
                               dashboard_address=None, silence_logs=logging.ERROR)
    try:
        if stop.signum:
            raise _Stopped()
        cluster.scale(workers)
        with stop.raising_while():
            client = Client(cluster, timeout=CONNECT_TIMEOUT)
    except BaseException as error:
        if isinstance(error, _Stopped):
            # A client stopped while it connects logs the refused connection
            # with its traceback once the cluster closes; the stop is the news.
            _silence("distributed")
        _close_cluster(None, cluster)
        raise
    return client, cluster


def _silence(root):
    """The logger `root` and those below it quiet but for critical news:
    distributed gives some of its own (distributed.client) levels of their
    own, which the parent's level does not reach."""
    names = [root] + [n for n in logging.root.manager.loggerDict if n.startswith(root + ".")]
    for name in names:
        logging.getLogger(name).setLevel(logging.CRITICAL)


def _close_cluster(client, cluster):
    for part in (client, cluster):
        if part is None:
            continue
        try:
            part.close()
        except Exception:  # noqa: BLE001 - shutting down whatever state it is in
            pass


def _run(args, stars, sink, progress, stop, client, threads):
    """Submits the stars and writes their rows as they arrive.

    Returns the number of stars written; stops early once stop.signum is set.
    """
    from distributed import as_completed

    # Enough tasks in flight to keep every worker busy, few enough that a
    # stop has little to cancel and a huge survey does not flood the scheduler.
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


def _refusal(refused):
    """Prints a refusal of the shared parser; returns its exit code."""
    if refused.to_stdout:
        sys.stdout.write(_help_text(refused.text))
    else:
        sys.stderr.write(refused.text)
    return refused.exit_code


def main(argv=None):
    """Runs the survey; returns the exit code of korvel-batch survey."""
    argv = list(sys.argv[1:] if argv is None else argv)
    # Every refusal comes before any file is touched.
    try:
        args, scheduler, workers = _split_cluster_options(argv)
        line = _korvel.survey_command_line(args)
    except _korvel.SurveyRefused as refused:
        return _refusal(refused)
    except _Refused as refused:
        print(refused, file=sys.stderr)
        return refused.exit_code
    if scheduler is None:
        workers = _local_workers(workers)

    stop = _StopSignals()
    client = cluster = None
    try:
        try:
            client, cluster = _start_cluster(scheduler, workers, stop)
        except _Stopped:
            # The connection given up is still pending; asyncio would say so.
            _silence("asyncio")
            return 128 + stop.signum
        except Exception as error:  # noqa: BLE001 - whatever keeps the cluster away
            where = f"the scheduler at {scheduler}" if scheduler else "a local Dask cluster"
            print(f"Cannot reach {where}: {_one_line(error)}", file=sys.stderr)
            return EXIT_FILE_MISSING
        if stop.signum:
            return 128 + stop.signum
        threads = sum(client.nthreads().values()) if scheduler else workers
        return _survey(args, line, client, threads or 1, stop)
    finally:
        _close_cluster(client, cluster)
        stop.restore()


def _survey(args, line, client, threads, stop):
    """The survey on a running cluster: OUT started, the stars run, their
    rows written; returns the exit code."""
    try:
        header, done = _korvel.survey_start_output(args)
        stars = _korvel.survey_plan(args, done)
    except _korvel.SurveyRefused as refused:
        return _refusal(refused)
    sink = None
    progress = _Progress(line["progress"], len(stars))
    written = 0
    try:
        sink = _RowSink(line["out"])
        sink.write(header)
        if not stars:
            return EXIT_OK
        try:
            written = _run(args, stars, sink, progress, stop, client, threads)
        finally:
            # The figures of the survey, not of the cluster's shutdown.
            progress.close()
        sink.close()
    except OSError as error:
        print(f"{line['out'] or 'stdout'}: cannot be written: {error.strerror or error}",
              file=sys.stderr)
        return EXIT_WRITE_ERROR
    finally:
        if sink is not None:
            try:
                sink.close()
            except OSError:
                pass
    if stop.signum and written < len(stars):
        print(f"Survey stopped: {written} of {len(stars)} stars written; "
              "--resume continues it", file=sys.stderr)
        return 128 + stop.signum
    return EXIT_OK


if __name__ == "__main__":
    sys.exit(main())
