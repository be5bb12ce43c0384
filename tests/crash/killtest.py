#!/usr/bin/env python3
"""Kills the program's writers with SIGKILL at random moments and checks that no file of the
player's is ever left half-written.

  killtest.py --bin <folder of the programs and kvn-savegen> [--plugins <folder>] [--runs 20] [--lines N]

Scenarios (each run --runs times):
  save-jobs   kestrovan-cli add-jobs on a large save ("Save all jobs"): game.sii is the old file or
              the complete new one; every file in the backup folder is a complete copy of the old
              save; job-history.ini and distances-user.dat are the old or a complete new file.
  decrypt     SII_Decrypt.exe converting an encrypted save in place: the file is the encrypted
              original or the complete text.
  settings    the window saving the randomiser options as it closes (needs --plugins, the
              window-watch plugin that closes it): Kvn-settings.ini is the old or the complete new file.

Half of the kills fall anywhere in the run, the other half in the moment the files are written
(after the first temporary file appears), where a crash would do harm. Prints one line per
scenario with the outcomes and exits 1 on any broken file.
"""

import argparse
import collections
import hashlib
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

BACKUP_FOLDER = "~Kestrovan Backups"
HISTORY = "job-history.ini"
DISTANCES = "distances-user.dat"
SETTINGS = "Kvn-settings.ini"
CSV_HEADER = ("departure_city,departure_company,destination_city,destination_company,"
              "cargo,trailer_definition,urgency,units\n")


def digest(path):
    try:
        with open(path, "rb") as f:
            return hashlib.sha256(f.read()).hexdigest()
    except FileNotFoundError:
        return None


def read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def copy_program(bin_dir, folder, names):
    os.makedirs(folder, exist_ok=True)
    for name in names:
        shutil.copy2(os.path.join(bin_dir, name), os.path.join(folder, name))


def history_count(data):
    """Number of jobs in a complete job-history.ini, or None when the file is damaged."""
    if data is None:
        return 0
    text = data.decode("utf-8-sig", "replace").replace("\r\n", "\n")
    sections = collections.OrderedDict()
    current = None
    for line in text.split("\n"):
        line = line.strip()
        if not line:
            continue
        if line.startswith("[") and line.endswith("]"):
            current = line[1:-1]
            sections[current] = {}
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            sections[current][key] = value
        else:
            return None
    try:
        count = int(sections["0"]["items"])
    except (KeyError, ValueError):
        return None
    keys = {"departure", "destination", "cargo", "weight", "distance", "ferry", "ferrytime", "date"}
    for n in range(1, count + 1):
        if not keys <= set(sections.get(str(n), {})):
            return None
    return count


class Runner:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.rng = random.Random(args.seed)
        self.env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=os.path.join(work, "home"),
                        XDG_DATA_HOME=os.path.join(work, "home", ".local", "share"),
                        XDG_CONFIG_HOME=os.path.join(work, "home", ".config"))
        os.makedirs(self.env["HOME"], exist_ok=True)

    def start(self, argv, cwd):
        return subprocess.Popen(argv, cwd=cwd, env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, start_new_session=True)

    def timed_run(self, argv, cwd):
        started = time.monotonic()
        code = subprocess.run(argv, cwd=cwd, env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode
        return code, time.monotonic() - started

    def kill_run(self, argv, cwd, duration, trigger):
        """Starts argv and kills its whole process group (the decrypter it starts included) after a
        random delay, or a random delay after trigger() first holds. False when it ended first."""
        targeted = self.rng.random() < 0.5
        process = self.start(argv, cwd)
        started = time.monotonic()
        if targeted:
            deadline = started + duration * 3 + 5
            while process.poll() is None and not trigger() and time.monotonic() < deadline:
                time.sleep(0.0005)
            delay = self.rng.uniform(0, max(0.002, duration * 0.25))
        else:
            delay = self.rng.uniform(0, duration * 1.05)
        end = time.monotonic() + delay
        while process.poll() is None and time.monotonic() < end:
            time.sleep(0.0005)
        killed = process.poll() is None
        if killed:
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        process.wait()
        # A decrypter started by the killed program dies with the group; make sure before looking.
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        return killed


def find_job_row(runner, program, profile, scratch):
    """A jobs.csv row that the generated save accepts, found by trying the save's own offers with
    the kestrovan-cli in the folder program (a copy: it keeps its history beside it)."""
    game = os.path.join(profile, "save", "quicksave", "game.sii")
    with open(game, "r", encoding="utf-8", errors="replace") as f:
        lines = [line.strip() for line in f]
    companies = []  # (company, city)
    offers = []  # (company, city, cargo, trailer_definition)
    current = None
    for line in lines:
        if line.startswith("company : company.volatile.") and line.endswith("{"):
            name = line[len("company : company.volatile."):-1].strip()
            company, _, city = name.partition(".")
            current = (company, city)
            companies.append(current)
        elif line.startswith("job_offer_data :"):
            pass
        elif current and line.startswith("cargo:") and "cargo." in line:
            cargo = line.split("cargo.", 1)[1].strip().strip('"')
            offers.append([current[0], current[1], cargo, None])
        elif current and line.startswith("trailer_definition:") and offers and offers[-1][3] is None:
            offers[-1][3] = line.split(":", 1)[1].strip().strip('"')
    candidates = [o for o in offers if o[3] and o[3] not in ("null", '""')]
    runner.rng.shuffle(candidates)
    cli = os.path.join(program, "kestrovan-cli")
    for depCompany, depCity, cargo, trailer in candidates[:40]:
        for destCompany, destCity in runner.rng.sample(companies, min(6, len(companies))):
            if destCity == depCity:
                continue
            row = f"{depCity},{depCompany},{destCity},{destCompany},{cargo},{trailer},1,\n"
            probe = os.path.join(scratch, "probe")
            shutil.rmtree(probe, ignore_errors=True)
            shutil.copytree(profile, probe)
            csv = os.path.join(scratch, "probe.csv")
            with open(csv, "w") as f:
                f.write(CSV_HEADER + row)
            code = subprocess.run([cli, "add-jobs", probe, csv], env=runner.env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL).returncode
            if code == 0:
                shutil.rmtree(probe, ignore_errors=True)
                return row
    return None


def scenario_save_jobs(runner, bin_dir, runs, lines):
    work = os.path.join(runner.work, "save-jobs")
    program = os.path.join(work, "program")
    copy_program(bin_dir, program, ["kestrovan-cli", "SII_Decrypt.exe"])
    game_folder = os.path.join(work, "game")
    subprocess.run([os.path.join(bin_dir, "kvn-savegen"), "--out", game_folder, "--profiles", "1", "--lines",
                    str(lines), "--seed", str(runner.args.seed)], check=True, stdout=subprocess.DEVNULL)
    profiles = os.path.join(game_folder, "profiles")
    profile = os.path.join(profiles, os.listdir(profiles)[0])
    quick = os.path.join(profile, "save", "quicksave")
    game = os.path.join(quick, "game.sii")
    backups = os.path.join(quick, BACKUP_FOLDER)
    history = os.path.join(program, HISTORY)
    distances = os.path.join(program, DISTANCES)

    rows = "".join(find_job_row(runner, program, profile, work) or "" for _ in range(2))
    if not rows:
        print("save-jobs: no job row is accepted by the generated save", file=sys.stderr)
        return False
    csv = os.path.join(work, "jobs.csv")
    with open(csv, "w") as f:
        f.write(CSV_HEADER + rows)
    jobs_per_run = rows.count("\n")
    argv = [os.path.join(program, "kestrovan-cli"), "add-jobs", profile, csv]

    original = read_bytes(game)
    # The complete results of one uninterrupted run, to compare every killed run against.
    for path in (history, distances):
        if os.path.exists(path):
            os.remove(path)
    code, duration = runner.timed_run(argv, work)
    if code != 0:
        print(f"save-jobs: the uninterrupted run failed with exit code {code}", file=sys.stderr)
        return False
    new_game = read_bytes(game)
    new_distances = read_bytes(distances)
    code, second = runner.timed_run(argv, work)  # a second run writes the same save from the new one
    duration = max(duration, second)
    shutil.rmtree(backups, ignore_errors=True)
    for path in (history, distances):
        if os.path.exists(path):
            os.remove(path)
    with open(game, "wb") as f:
        f.write(original)
    if new_game == original:
        print("save-jobs: the uninterrupted run did not change game.sii", file=sys.stderr)
        return False

    def writing():
        return (os.path.exists(game + ".kestrovan-new") or os.path.isdir(backups) and bool(os.listdir(backups))
                or os.path.exists(distances) != (before_distances is not None))

    outcomes = collections.Counter()
    failures = []
    for run in range(runs):
        before_history = read_bytes(history)
        before_distances = read_bytes(distances)
        before_count = history_count(before_history)
        killed = runner.kill_run(argv, work, duration, writing)
        outcomes["killed" if killed else "finished before the kill"] += 1
        now = read_bytes(game)
        if now == original:
            outcomes["game.sii old"] += 1
        elif now == new_game:
            outcomes["game.sii new"] += 1
        else:
            failures.append(f"run {run}: game.sii is neither the old nor the new file ({len(now or b'')} bytes)")
        for name in sorted(os.listdir(backups)) if os.path.isdir(backups) else []:
            if read_bytes(os.path.join(backups, name)) != original:
                failures.append(f"run {run}: backup \"{name}\" is not a complete copy of the save")
            else:
                outcomes["backup complete"] += 1
        count = history_count(read_bytes(history))
        if count is None:
            failures.append(f"run {run}: {HISTORY} is damaged")
        elif count == before_count:
            outcomes["history old"] += 1
        elif count == before_count + jobs_per_run:
            outcomes["history new"] += 1
        else:
            failures.append(f"run {run}: {HISTORY} went from {before_count} to {count} jobs")
        learnt = read_bytes(distances)
        if learnt == before_distances:
            outcomes["distances old"] += 1
        elif learnt == new_distances:
            outcomes["distances new"] += 1
        else:
            failures.append(f"run {run}: {DISTANCES} is neither the old nor the complete new file")
        leftovers = [n for n in os.listdir(quick) if n not in ("game.sii", BACKUP_FOLDER)]
        if leftovers:
            outcomes["temporary file left beside game.sii"] += 1
        # The next run starts from the old save again, with whatever the killed runs left behind.
        if now != original:
            with open(game + ".restore", "wb") as f:
                f.write(original)
            os.replace(game + ".restore", game)
        shutil.rmtree(backups, ignore_errors=True)
        if run % 4 == 3 and os.path.exists(distances):
            os.remove(distances)  # so that the learner writes it again
    # Whatever the kills left behind, an uninterrupted run still saves.
    code, _ = runner.timed_run(argv, work)
    if code != 0 or read_bytes(game) != new_game:
        failures.append(f"the run after the kills did not save (exit code {code})")
    # ... and clears away what the killed runs left beside the save.
    left = sorted(set(os.listdir(quick)) - {"game.sii", BACKUP_FOLDER})
    if left:
        failures.append(f"the run after the kills left {left} beside game.sii")
    report("save-jobs", runs, duration, outcomes, failures)
    return not failures


def scenario_decrypt(runner, bin_dir, runs, lines):
    work = os.path.join(runner.work, "decrypt")
    os.makedirs(work, exist_ok=True)
    source = os.path.join(work, "encrypted.sii")
    subprocess.run([os.path.join(bin_dir, "kvn-savegen"), "--game-sii", source, "--lines", str(lines), "--form",
                    "encrypted", "--seed", str(runner.args.seed)], check=True, stdout=subprocess.DEVNULL)
    decrypter = os.path.join(bin_dir, "SII_Decrypt.exe")
    folder = os.path.join(work, "quicksave")
    os.makedirs(folder, exist_ok=True)
    target = os.path.join(folder, "game.sii")
    original = read_bytes(source)
    shutil.copyfile(source, target)
    code, duration = runner.timed_run([decrypter, target], work)
    text = read_bytes(target)
    if code != 0 or text == original:
        print(f"decrypt: the uninterrupted conversion failed (exit code {code})", file=sys.stderr)
        return False

    def writing():
        return len(os.listdir(folder)) > 1

    outcomes = collections.Counter()
    failures = []
    for run in range(runs):
        shutil.copyfile(source, target)
        killed = runner.kill_run([decrypter, target], work, duration, writing)
        outcomes["killed" if killed else "finished before the kill"] += 1
        now = read_bytes(target)
        if now == original:
            outcomes["old"] += 1
        elif now == text:
            outcomes["new"] += 1
        else:
            failures.append(f"run {run}: game.sii is neither the encrypted nor the complete text file")
        if len(os.listdir(folder)) > 1:
            outcomes["temporary file left beside game.sii"] += 1
    shutil.copyfile(source, target)
    code, _ = runner.timed_run([decrypter, target], work)
    if code != 0 or read_bytes(target) != text:
        failures.append(f"the conversion after the kills failed (exit code {code})")
    if os.listdir(folder) != ["game.sii"]:
        failures.append(f"the conversion after the kills left {len(os.listdir(folder)) - 1} temporary files")
    report("decrypt", runs, duration, outcomes, failures)
    return not failures


def scenario_settings(runner, bin_dir, runs, plugins):
    """The window saves the randomiser options when it closes; the window-watch plugin closes it
    once loading has ended."""
    work = os.path.join(runner.work, "settings")
    program = os.path.join(work, "program")
    copy_program(bin_dir, program, ["kestrovan", "SII_Decrypt.exe"])
    settings = os.path.join(program, SETTINGS)
    # A section the program does not keep, so that the file it writes differs from this one.
    original = (b"[old]\r\nkept-by-an-earlier-version=1\r\n\r\n[settings]\r\nmin-distance-active=1\r\n"
                b"min-distance=250\r\nadr-active=1\r\nadr-class=3\r\n")
    log = os.path.join(work, "watch.log")
    env = dict(runner.env, QT_PLUGIN_PATH=plugins, QT_QPA_GENERIC_PLUGINS="kvnwindowwatch:" + log,
               LANG="en_US.UTF-8")
    argv = [os.path.join(program, "kestrovan")]

    def fresh():
        with open(settings, "wb") as f:
            f.write(original)
        if os.path.exists(log):
            os.remove(log)

    saved_env = runner.env
    runner.env = env
    try:
        fresh()
        code, duration = runner.timed_run(argv, work)
        written = read_bytes(settings)
        if code != 0 or written == original or b"min-distance=250" not in (written or b""):
            print(f"settings: the uninterrupted run did not save the settings (exit code {code})", file=sys.stderr)
            return False

        def closing():
            try:
                with open(log) as f:
                    return "loaded" in f.read()
            except FileNotFoundError:
                return False

        outcomes = collections.Counter()
        failures = []
        for run in range(runs):
            fresh()
            killed = runner.kill_run(argv, work, duration, closing)
            outcomes["killed" if killed else "finished before the kill"] += 1
            now = read_bytes(settings)
            if now == original:
                outcomes["old"] += 1
            elif now == written:
                outcomes["new"] += 1
            else:
                failures.append(f"run {run}: {SETTINGS} is neither the old nor the complete new file")
            if len(os.listdir(program)) > 3:
                outcomes["temporary file left beside the settings"] += 1
    finally:
        runner.env = saved_env
    report("settings", runs, duration, outcomes, failures)
    return not failures


def report(name, runs, duration, outcomes, failures):
    parts = ", ".join(f"{key}: {value}" for key, value in sorted(outcomes.items()))
    print(f"{name}: {runs} runs (an uninterrupted run takes {duration:.2f} s); {parts}; "
          f"broken: {len(failures)}")
    for failure in failures[:20]:
        print("  " + failure)
    sys.stdout.flush()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", required=True)
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--lines", type=int, default=1500000)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    parser.add_argument("--plugins", help="folder of the window-watch plugin, for the settings scenario")
    parser.add_argument("--scenario", action="append", choices=["save-jobs", "decrypt", "settings"])
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    args = parser.parse_args()
    args.bin = os.path.abspath(args.bin)
    args.plugins = args.plugins and os.path.abspath(args.plugins)
    print(f"kill test: seed {args.seed}, {args.runs} runs per scenario, save of {args.lines} lines")
    work = tempfile.mkdtemp(prefix="kvn-killtest-")
    runner = Runner(args, work)
    ok = True
    try:
        for scenario in args.scenario or ["save-jobs", "decrypt", "settings"]:
            if scenario == "save-jobs":
                ok = scenario_save_jobs(runner, args.bin, args.runs, args.lines) and ok
            elif scenario == "settings":
                if args.plugins:
                    ok = scenario_settings(runner, args.bin, args.runs, args.plugins) and ok
                else:
                    print("settings: skipped (give --plugins, the folder of the window-watch plugin)")
            else:
                ok = scenario_decrypt(runner, args.bin, args.runs, args.lines) and ok
    finally:
        if args.keep:
            print(f"work folder kept: {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
