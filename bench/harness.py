"""Times Pictaron and its peers side by side, case by case, in one run.

Every timing is a whole process, PPM in, result file out, measured from start
to exit. For each case and picture one warm-up round runs every tool once under
/usr/bin/time -v (its "Maximum resident set size" is the peak memory, and the
checksums of Pictaron's results come from it); then come the timed rounds. A
round runs each tool once, starting with a different tool each round, so that
a machine getting busier or quieter during a case shifts every tool alike and
the ratios stay fair. The table shows medians. A tool whose runs would take
longer than the budget (--budget) runs fewer times, or only the warm-up.

Peers run single-threaded (MAGICK_THREAD_LIMIT=1, OMP_NUM_THREADS=1,
VIPS_CONCURRENCY=1); Pictaron runs once held to one thread (PICTARON_THREADS=1,
and the same variables for the library that reads pictures) and once with its
default threads. Every single-threaded run is also pinned to one CPU, so
"one thread" means one core whatever threads a program starts. A Pictaron option this build does not know (exit status 2)
shows as "n/a" instead of stopping the run.

bench/run.sh prepares everything and calls this; see run.sh --help.
"""

import argparse
import datetime
import hashlib
import json
import os
import platform
import re
import shlex
import shutil
import signal
import statistics
import subprocess
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path
from typing import Dict, List, Optional

from cases import BENCH_DIR, CASES, PICTARON_TOOLS, TOOL_TITLES, TOOLS, Case, Picture

MIB = 1024 * 1024
SINGLE_THREAD = {"MAGICK_THREAD_LIMIT": "1", "OMP_NUM_THREADS": "1", "VIPS_CONCURRENCY": "1"}
THREAD_VARIABLES = list(SINGLE_THREAD) + ["PICTARON_THREADS"]
PEERS = [t for t in TOOLS if t not in PICTARON_TOOLS]
# Peers are called by their Debian path, never through a wrapper on PATH.
PEER_PROGRAMS = {
    "cjpeg": "/usr/bin/cjpeg",
    "cwebp": "/usr/bin/cwebp",
    "avifenc": "/usr/bin/avifenc",
    "optipng": "/usr/bin/optipng",
    "gm": "/usr/bin/gm",
    "convert": "/usr/bin/convert",
    "vips": "/usr/bin/vips",
    "vipsthumbnail": "/usr/bin/vipsthumbnail",
}


# --- running one process ---------------------------------------------------------

def tool_environment(tool: str) -> Dict[str, str]:
    env = {k: v for k, v in os.environ.items() if k not in THREAD_VARIABLES}
    if tool == "pictaron":
        return env
    env.update(SINGLE_THREAD)
    if tool == "pictaron-1t":
        env["PICTARON_THREADS"] = "1"
    if tool == "convert":
        # Raised memory limits: see policy.xml.
        env["MAGICK_CONFIGURE_PATH"] = str(BENCH_DIR)
    return env


@dataclass
class Job:
    tool: str
    argv: List[str]
    output: Path
    env: Dict[str, str]
    # The one CPU a single-threaded run is held to, None for Pictaron's default.
    cpu: Optional[int] = None
    # The output is a folder of files (the variants of one picture), made empty
    # before each run.
    folder: bool = False

    def start(self, argv: List[str], **kwargs) -> subprocess.Popen:
        cpus = None if self.cpu is None else {self.cpu}
        return subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                preexec_fn=(lambda: os.sched_setaffinity(0, cpus)) if cpus else None, **kwargs)


@dataclass
class Result:
    status: str = "ok"          # ok, n/a, fail
    reason: str = ""
    times: List[float] = field(default_factory=list)
    cpu: List[float] = field(default_factory=list)
    warmup: Optional[float] = None  # seconds, under /usr/bin/time
    peak_kib: Optional[int] = None
    output_bytes: Optional[int] = None
    sha256: Optional[str] = None

    @property
    def median(self) -> Optional[float]:
        """The median of the timed runs; a tool too slow to time again has
        only its warm-up."""
        if self.status != "ok":
            return None
        if self.times:
            return statistics.median(self.times)
        return self.warmup


def remove(path: Path):
    if path.is_dir():
        shutil.rmtree(path)
        return
    try:
        path.unlink()
    except FileNotFoundError:
        pass


def prepare_output(job: Job):
    remove(job.output)
    if job.folder:
        job.output.mkdir(parents=True)


def files_of(path: Path) -> List[Path]:
    """The result's files: the one file, or every file of a result folder by name."""
    return sorted(f for f in path.iterdir() if f.is_file()) if path.is_dir() else [path]


def written(job: Job) -> bool:
    return job.output.exists() and (not job.folder or bool(files_of(job.output)))


def output_bytes(path: Path) -> int:
    return sum(f.stat().st_size for f in files_of(path))


def sha256(path: Path) -> str:
    """Of a file's bytes; of a folder, of each file's name and bytes in turn."""
    digest = hashlib.sha256()
    for file in files_of(path):
        if path.is_dir():
            digest.update(file.name.encode() + b"\0")
        with open(file, "rb") as f:
            for block in iter(lambda: f.read(1 << 20), b""):
                digest.update(block)
    return digest.hexdigest()


def timed_run(job: Job):
    """Wall time and CPU time of one whole process; None when it failed."""
    prepare_output(job)
    start = time.perf_counter()
    process = job.start(job.argv, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        return None
    return elapsed, usage.ru_utime + usage.ru_stime


def measured_run(job: Job, scratch: Path, result: Result, timeout: float):
    """The warm-up: one run under /usr/bin/time -v for the peak memory, the
    result's size and checksum, and whether the tool can do the job at all.
    A run longer than timeout is stopped and the tool left out of the case."""
    prepare_output(job)
    report = scratch / f"{job.tool}.time"
    errors = scratch / f"{job.tool}.stderr"
    with open(errors, "wb") as err:
        start = time.perf_counter()
        process = job.start(["/usr/bin/time", "-v", "-o", str(report), *job.argv], stderr=err,
                            start_new_session=True)
        try:
            code = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            result.status, result.reason = "timeout", f"stopped after {timeout:.0f} s"
            return
        result.warmup = time.perf_counter() - start
    message = errors.read_text(errors="replace").strip()
    first_line = message.splitlines()[0] if message else f"exit status {code}"
    if code != 0 or not written(job):
        unavailable = code == 2 or "not available" in message
        if job.tool in PICTARON_TOOLS and unavailable:
            result.status, result.reason = "n/a", first_line
        else:
            result.status, result.reason = "fail", f"exit {code}: {first_line}"
        return
    match = re.search(r"Maximum resident set size \(kbytes\): (\d+)", report.read_text())
    result.peak_kib = int(match.group(1)) if match else None
    result.output_bytes = output_bytes(job.output)
    result.sha256 = sha256(job.output)


# --- the cases -------------------------------------------------------------------

def read_ppm_size(path: Path):
    with open(path, "rb") as f:
        head = f.read(256)
    tokens = re.sub(rb"#[^\n]*\n", b" ", head).split()
    if tokens[0] != b"P6":
        raise SystemExit(f"{path} is not a binary PPM")
    return int(tokens[1]), int(tokens[2])


def jobs_for(case: Case, picture: Picture, cli: Path, out_dir: Path, tools: List[str]) -> List[Job]:
    commands = case.commands(picture)
    # Single-threaded runs are also held to one CPU: a tool that starts
    # threads anyway (a library's helpers, or an engine not yet honouring
    # PICTARON_THREADS) still gets one core, and no tool gains from another.
    one_cpu = max(os.sched_getaffinity(0))
    jobs = []
    for tool in tools:
        key = "pictaron" if tool in PICTARON_TOOLS else tool
        if key not in commands:
            continue
        output = out_dir / f"{case.name}-{picture.name}-{tool}{'' if case.folder else '.' + case.extension}"
        argv = []
        for a in commands[key]:
            if a == "{parts}":
                argv += [str(part) for part in picture.parts]
                continue
            argv.append(a.replace("{pictaron}", str(cli)).replace("{in.png}", str(picture.png_path))
                        .replace("{in.jpg}", str(picture.jpeg_path))
                        .replace("{in}", str(picture.path)).replace("{out}", str(output)))
        if tool in PEER_PROGRAMS and argv[0] == tool:
            argv[0] = PEER_PROGRAMS[tool]
        jobs.append(Job(tool, argv, output, tool_environment(tool), None if tool == "pictaron" else one_cpu,
                        case.folder))
    return jobs


def pictaron_report(jobs: List[Job], keys: List[str]) -> Optional[Dict]:
    """The chosen keys of Pictaron's --json report, from one more untimed run
    with its default threads; None when it has none."""
    job = next((j for j in jobs if j.tool == "pictaron"), None)
    if job is None or not keys:
        return None
    prepare_output(job)
    run = subprocess.run(job.argv + ["--json"], env=job.env, stdin=subprocess.DEVNULL, capture_output=True, text=True)
    remove(job.output)
    if run.returncode != 0 or not run.stdout.strip():
        return None
    report = json.loads(run.stdout.splitlines()[0])
    return {key: report.get(key) for key in keys}


def report_table(reports) -> List[str]:
    """What Pictaron says of its own runs: the choice of a byte budget and its trials."""
    keys = sorted({key for _, _, report in reports for key in report})
    lines = ["| " + " | ".join(["case", "picture"] + keys) + " |", "|" + "---|" * (len(keys) + 2)]
    for case, picture, report in reports:
        cells = [case.title, picture.name] + [json.dumps(report.get(key)) for key in keys]
        lines.append("| " + " | ".join(cells) + " |")
    return lines


def load_average() -> float:
    return float(Path("/proc/loadavg").read_text().split()[0])


def planned_runs(result: Result, runs: int, budget: float) -> int:
    """Timed runs for a tool: all of them, unless they would take longer than
    the budget; a tool whose warm-up alone took longer is not run again."""
    if result.status != "ok" or not result.warmup:
        return 0
    return min(runs, int(budget // result.warmup))


def run_case(jobs: List[Job], runs: int, budget: float, timeout: float, scratch: Path) -> Dict[str, Result]:
    results = {job.tool: Result() for job in jobs}
    for job in jobs:
        measured_run(job, scratch, results[job.tool], timeout)
    plan = {job.tool: planned_runs(results[job.tool], runs, budget) for job in jobs}
    for round_number in range(runs):
        active = [job for job in jobs if plan[job.tool] > round_number]
        shift = round_number % len(active) if active else 0
        for job in active[shift:] + active[:shift]:
            result = results[job.tool]
            if result.status != "ok":
                continue
            timing = timed_run(job)
            if timing is None:
                result.status, result.reason = "fail", "failed in a timed run"
                continue
            result.times.append(timing[0])
            result.cpu.append(timing[1])
    for job in jobs:
        remove(job.output)
    return results


# --- the table --------------------------------------------------------------------

def seconds(value: Optional[float]) -> str:
    if value is None:
        return "—"
    return f"{value:.3f}" if value < 10 else f"{value:.2f}"


def cell(result: Optional[Result], runs: int) -> str:
    if result is None:
        return ""
    if result.status == "timeout":
        return "> " + result.reason.split()[-2] + " s"
    if result.status != "ok":
        return result.status
    text = seconds(result.median)
    if not result.times and runs:
        return text + " (warm-up only)"
    if len(result.times) < runs:
        return text + f" ({len(result.times)} of {runs})"
    return text


def fastest_peer(results: Dict[str, Result]):
    timed = [(r.median, tool) for tool, r in results.items() if tool in PEERS and r.median is not None]
    return min(timed) if timed else (None, None)


def measured(result: Optional[Result], measure: str) -> Optional[float]:
    if result is None or result.status != "ok":
        return None
    return result.median if measure == "time" else result.output_bytes


def target_verdicts(case: Case, picture: Picture, results: Dict[str, Result], everything):
    """(target, ratio of Pictaron single-threaded to its reference, verdict)
    for each target of the case; everything maps (case name, picture name)
    to the results of every case run, for targets that refer to another."""
    verdicts = []
    for target in case.targets:
        mine = measured(results.get("pictaron-1t"), target.measure)
        if target.case is not None:
            other = everything.get((target.case, picture.name), {})
            reference = measured(other.get("pictaron-1t"), target.measure)
        elif target.peer is not None:
            reference = measured(results.get(target.peer), target.measure)
        else:
            values = [measured(r, target.measure) for tool, r in results.items() if tool in PEERS]
            reference = min((v for v in values if v is not None), default=None)
        if mine is None:
            verdicts.append((target, None, "n/a"))
        elif not reference:
            verdicts.append((target, None, "no reference"))
        elif target.ratio is None:
            verdicts.append((target, mine / reference, "—"))
        else:
            ratio = mine / reference
            met = ratio < target.ratio if target.strict else ratio <= target.ratio
            verdicts.append((target, ratio, "met" if met else "missed"))
    return verdicts


def target_cells(case: Case, picture: Picture, results: Dict[str, Result], everything) -> List[str]:
    """The target, ratio and verdict columns: one entry per target, joined."""
    verdicts = target_verdicts(case, picture, results, everything)
    return ["; ".join(t.text for t, _, _ in verdicts), "; ".join(ratio_text(r) for _, r, _ in verdicts),
            "; ".join(v for _, _, v in verdicts)]


def ratio_text(value: Optional[float]) -> str:
    return "—" if value is None else f"{value:.2f}×"


def memory_limit_mib(case: Case, picture: Picture) -> float:
    return 3 * case.largest_bitmap(picture) / MIB + 64


def everything_of(rows):
    return {(case.name, picture.name): results for case, picture, results in rows}


def summary_table(rows, runs: int) -> List[str]:
    """The short form for the README: Pictaron, its fastest peer, the targets."""
    head = ["case", "picture", "Pictaron 1 thread", "Pictaron", "fastest peer", "1 thread ÷ fastest",
            "target", "ratio", "verdict", "peak MiB (limit)"]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    everything = everything_of(rows)
    for case, picture, results in rows:
        best, best_tool = fastest_peer(results)
        one = results.get("pictaron-1t")
        r1 = one.median / best if best and one and one.median else None
        peaks = [results[t].peak_kib for t in PICTARON_TOOLS if t in results and results[t].peak_kib]
        peak = f"{max(peaks) / 1024:.0f} ({memory_limit_mib(case, picture):.0f})" if peaks else "—"
        cells = [case.title, picture.name, cell(one, runs), cell(results.get("pictaron"), runs),
                 f"{TOOL_TITLES[best_tool]} {seconds(best)}" if best_tool else "—", ratio_text(r1),
                 *target_cells(case, picture, results, everything), peak]
        lines.append("| " + " | ".join(cells) + " |")
    return lines


def time_table(rows, runs: int) -> List[str]:
    head = (["case", "picture"] + [TOOL_TITLES[t] for t in TOOLS]
            + ["fastest peer", "1 thread ÷ fastest", "default ÷ fastest", "target", "1 thread ÷ target's ref.", "verdict"])
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    everything = everything_of(rows)
    for case, picture, results in rows:
        best, best_tool = fastest_peer(results)
        one = results.get("pictaron-1t")
        default = results.get("pictaron")
        r1 = one.median / best if best and one and one.median else None
        rd = default.median / best if best and default and default.median else None
        cells = ([case.title, picture.name] + [cell(results.get(t), runs) for t in TOOLS]
                 + [TOOL_TITLES[best_tool] if best_tool else "—", ratio_text(r1), ratio_text(rd),
                    *target_cells(case, picture, results, everything)])
        lines.append("| " + " | ".join(cells) + " |")
    return lines


def cpu_table(rows) -> List[str]:
    """CPU seconds (user + system) per run: less sensitive than wall time to
    other work on the machine, and above it when a tool uses several threads."""
    head = ["case", "picture"] + [TOOL_TITLES[t] for t in TOOLS]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for case, picture, results in rows:
        cells = [case.title, picture.name]
        for tool in TOOLS:
            r = results.get(tool)
            if r is None:
                cells.append("")
            elif r.cpu:
                cells.append(seconds(statistics.median(r.cpu)))
            else:
                cells.append("—" if r.status == "ok" else r.status)
        lines.append("| " + " | ".join(cells) + " |")
    return lines


def bytes_table(rows) -> List[str]:
    """The size of each tool's result: what a format's encoder gives for its time."""
    head = ["case", "picture"] + [TOOL_TITLES[t] for t in TOOLS]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for case, picture, results in rows:
        cells = [case.title, picture.name]
        for tool in TOOLS:
            r = results.get(tool)
            cells.append("" if r is None else str(r.output_bytes) if r.output_bytes is not None else r.status)
        lines.append("| " + " | ".join(cells) + " |")
    return lines


def memory_table(rows) -> List[str]:
    head = ["case", "picture"] + [TOOL_TITLES[t] for t in TOOLS] + ["Pictaron limit", "verdict"]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for case, picture, results in rows:
        cells = [case.title, picture.name]
        for tool in TOOLS:
            r = results.get(tool)
            if r is None:
                cells.append("")
            elif r.peak_kib is None:
                cells.append(r.status)
            else:
                cells.append(f"{r.peak_kib / 1024:.0f}")
        limit = memory_limit_mib(case, picture)
        peaks = [results[t].peak_kib for t in PICTARON_TOOLS if t in results and results[t].peak_kib]
        verdict = "n/a" if not peaks else ("met" if max(peaks) / 1024 <= limit else "missed")
        cells += [f"{limit:.0f}", verdict]
        lines.append("| " + " | ".join(cells) + " |")
    return lines


def failures(rows) -> List[str]:
    lines = []
    for case, picture, results in rows:
        for tool, r in results.items():
            if r.status != "ok":
                lines.append(f"- {case.name} {picture.name} {TOOL_TITLES[tool]}: {r.status} ({r.reason})")
    return lines


def cpu_model() -> str:
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            return line.split(":", 1)[1].strip()
    return platform.processor() or "unknown CPU"


# --- checksums of Pictaron's results ------------------------------------------------

def checksum_lines(rows) -> Dict[str, str]:
    sums = {}
    for case, picture, results in rows:
        for tool in PICTARON_TOOLS:
            r = results.get(tool)
            if r is not None and r.sha256:
                sums[f"{case.name} {picture.name} {tool}"] = r.sha256
    return sums


def read_checksums(path: Path) -> Dict[str, str]:
    sums = {}
    if path.exists():
        for line in path.read_text().splitlines():
            if line.strip() and not line.startswith("#"):
                digest, key = line.split(None, 1)
                sums[key.strip()] = digest
    return sums


def compare_checksums(current: Dict[str, str], stored: Dict[str, str], rows) -> List[str]:
    """Differences from the stored list, and between Pictaron's two thread modes."""
    problems = []
    for key, digest in sorted(current.items()):
        if key in stored and stored[key] != digest:
            problems.append(f"- {key}: output changed since the stored run")
    for case, picture, results in rows:
        one, default = results.get("pictaron-1t"), results.get("pictaron")
        if one and default and one.sha256 and default.sha256 and one.sha256 != default.sha256:
            problems.append(f"- {case.name} {picture.name}: default threads give other bytes than one thread")
    return problems


def write_checksums(path: Path, sums: Dict[str, str]):
    lines = ["# sha256 of Pictaron's results, written by bench/run.sh; --check compares against it."]
    lines += [f"{digest}  {key}" for key, digest in sorted(sums.items())]
    path.write_text("\n".join(lines) + "\n")


# --- start-up ------------------------------------------------------------------------

STARTUP_RUNS = 20
STARTUP_TARGET_MS = 3.0


def startup_lines(cli: Path) -> List[str]:
    """What a command costs before it does anything: pictaron-cli --version
    beside cjpeg -version, alternated, each a fresh process (fork, exec, the
    dynamic loader, static initialisation), medians of STARTUP_RUNS."""
    commands = {"pictaron-cli --version": [str(cli), "--version"], "cjpeg -version": ["cjpeg", "-version"]}
    times: Dict[str, List[float]] = {name: [] for name in commands}
    for _ in range(STARTUP_RUNS + 1):  # the first round warms the page cache
        for name, argv in commands.items():
            start = time.perf_counter()
            subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
            times[name].append(time.perf_counter() - start)
    medians = {name: statistics.median(values[1:]) * 1000 for name, values in times.items()}
    ours = medians["pictaron-cli --version"]
    verdict = "met" if ours <= STARTUP_TARGET_MS else "missed"
    return [f"Start-up (median of {STARTUP_RUNS}, ms): " +
            ", ".join(f"{name} {value:.2f}" for name, value in medians.items()) +
            f"; target {STARTUP_TARGET_MS:.0f} ms {verdict}"]


# --- hyperfine, for a closer look at one case --------------------------------------

def hyperfine(jobs: List[Job], runs: int, export: Path):
    """hyperfine's statistics for one case (tools one after another, not alternated)."""
    commands = []
    for job in jobs:
        variables = [f"{k}={v}" for k, v in job.env.items()
                     if k in THREAD_VARIABLES + ["MAGICK_CONFIGURE_PATH"]]
        unset = [f"-u{k}" for k in THREAD_VARIABLES if k not in job.env]
        commands.append(" ".join(["env", *unset, *variables, *map(shlex.quote, job.argv)]))
    names = [arg for job in jobs for arg in ("-n", TOOL_TITLES[job.tool])]
    subprocess.call(["hyperfine", "-N", "--warmup", "1", "--runs", str(runs), "--export-markdown", str(export),
                     *names, *commands])


# --- main ------------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True, type=Path, help="pictaron-cli to time")
    parser.add_argument("--pictures-dir", required=True, type=Path, help="folder of the prepared PPMs")
    parser.add_argument("--work", required=True, type=Path, help="folder for results, checksums and outputs")
    parser.add_argument("--pictures", default="large-photo,medium-photo", help="PPM names, comma-separated")
    parser.add_argument("--cases", default=".", help="regular expression over case names")
    parser.add_argument("--tools", default=",".join(TOOLS), help="tools, comma-separated")
    parser.add_argument("--runs", type=int, default=5, help="timed rounds after the warm-up (default 5)")
    parser.add_argument("--budget", type=float, default=60,
                        help="seconds of timed runs per tool and case; a slower tool runs fewer times (default 60)")
    parser.add_argument("--timeout", type=float, default=120,
                        help="seconds after which a run is stopped and its tool left out of the case (default 120)")
    parser.add_argument("--check", action="store_true",
                        help="run Pictaron once per case and compare its results with the stored checksums")
    parser.add_argument("--hyperfine", action="store_true", help="time with hyperfine instead (no alternation)")
    args = parser.parse_args()

    tools = [t for t in args.tools.split(",") if t]
    if args.check:
        tools, args.runs = [t for t in tools if t in PICTARON_TOOLS], 0
    unknown = set(tools) - set(TOOLS)
    if unknown:
        raise SystemExit(f"unknown tools: {', '.join(sorted(unknown))}")
    for tool in PEERS:
        program = PEER_PROGRAMS.get(tool)
        if tool in tools and program and not shutil.which(program):
            raise SystemExit(f"{program} is missing: scripts/install-deps.sh bench/packages.txt installs it")

    args.work.mkdir(parents=True, exist_ok=True)
    out_dir, scratch = args.work / "out", args.work / "scratch"
    out_dir.mkdir(exist_ok=True)
    scratch.mkdir(exist_ok=True)
    pictures = []
    for name in args.pictures.split(","):
        path = args.pictures_dir / f"{name}.ppm"
        pictures.append(Picture(name, path, *read_ppm_size(path)))
    cases = [c for c in CASES if re.search(args.cases, c.name)]

    started = datetime.datetime.now(datetime.timezone.utc)
    header = [
        f"Date: {started:%Y-%m-%d %H:%M} UTC",
        f"Machine: {cpu_model()}, {os.cpu_count()} logical CPUs (nproc {len(os.sched_getaffinity(0))})",
        "Checking Pictaron's results against the stored checksums" if args.check else
        f"Timed rounds: {args.runs} after one warm-up; medians in seconds, whole processes, PPM (or JPEG) in → result out",
    ]
    print("\n".join(header), flush=True)

    rows, loads, reports = [], [load_average()], []
    for case in cases:
        for picture in pictures:
            jobs = jobs_for(case, picture, args.cli.resolve(), out_dir, tools)
            if args.hyperfine:
                hyperfine(jobs, max(args.runs, 2), args.work / f"hyperfine-{case.name}-{picture.name}.md")
                continue
            results = run_case(jobs, args.runs, args.budget, args.timeout, scratch)
            loads.append(load_average())
            rows.append((case, picture, results))
            report = pictaron_report(jobs, case.report_keys)
            if report is not None:
                reports.append((case, picture, report))
            summary = ", ".join(f"{TOOL_TITLES[t]} {cell(r, args.runs)}" for t, r in results.items())
            print(f"  {case.name} {picture.name}: {summary}  (load {loads[-1]:.2f})", flush=True)
    if args.hyperfine:
        return 0

    checksum_file = args.work / "checksums.txt"
    current = checksum_lines(rows)
    stored = read_checksums(checksum_file)
    problems = compare_checksums(current, stored, rows)
    compared = sum(1 for key in current if key in stored)

    if args.check:
        print(f"\nCompared {compared} of {len(current)} results with {checksum_file}.")
        for line in failures(rows):
            print(line)
        if problems:
            print("Outputs differ:\n" + "\n".join(problems))
            return 1
        if not compared:
            print("Nothing to compare with: a full bench/run.sh records the checksums first.")
            return 1
        print("Every compared result is byte-identical.")
        return 0

    lines = header + [f"Load average (1 min) during the run: {min(loads):.2f} to {max(loads):.2f}", ""]
    lines += startup_lines(args.cli.resolve()) + [""]
    lines += ["Summary: medians (s); targets judged on Pictaron's single-threaded time.", ""]
    lines += summary_table(rows, args.runs)
    lines += ["", "Every tool's median (s). Ratios: Pictaron ÷ fastest peer.", ""]
    lines += time_table(rows, args.runs)
    lines += ["", "CPU time (s, user + system, medians of the same runs).", ""]
    lines += cpu_table(rows)
    lines += ["", "Result bytes (the warm-up run's file).", ""]
    lines += bytes_table(rows)
    lines += ["", "Peak memory (MiB, maximum resident set size). Pictaron's limit: three working bitmaps "
              "of the largest picture of the job plus 64 MiB.", ""]
    lines += memory_table(rows)
    if reports:
        lines += ["", "Pictaron's own report of the cases that ask for it (--json).", ""]
        lines += report_table(reports)
    not_run = failures(rows)
    if not_run:
        lines += ["", "Not timed:"] + not_run
    lines += ["", f"Checksums: {compared} of {len(current)} Pictaron results compared with the previous run; "
              + ("all identical." if not problems else "differences:")]
    lines += problems
    text = "\n".join(lines) + "\n"
    print("\n" + "\n".join(lines[len(header):]))

    stamp = f"{started:%Y%m%dT%H%M}"
    (args.work / f"results-{stamp}.md").write_text(text)
    (args.work / "results.md").write_text(text)
    raw = [{"case": c.name, "picture": p.name, "tool": t, "status": r.status, "reason": r.reason,
            "times": r.times, "cpu": r.cpu, "peak_kib": r.peak_kib, "bytes": r.output_bytes, "sha256": r.sha256}
           for c, p, results in rows for t, r in results.items()]
    (args.work / f"results-{stamp}.json").write_text(json.dumps(raw, indent=1))
    if current:
        write_checksums(checksum_file, {**stored, **current})
    print(f"\nWritten: {args.work / 'results.md'}, results-{stamp}.json, checksums.txt")
    return 1 if any(r.status == "fail" for _, _, res in rows for r in res.values()) else 0


if __name__ == "__main__":
    sys.exit(main())
