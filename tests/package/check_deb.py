#!/usr/bin/env python3
"""Builds the .deb, unpacks it into a clean folder (dpkg -x), makes the unpacked tree read-only and
checks, as a player without write access to it:
  - the layout: programs, decrypter and languages in one folder, links in bin, desktop entry, icon;
  - the installed window starts (offscreen), shows its texts from the installed German file and
    keeps its options in the user's data folder;
  - the installed kestrovan-cli saves a job and keeps its history and learnt distances in the
    user's data folder, writing nothing into the installed tree.

  check_deb.py --build <build folder> [--plugins <folder of the window-watch plugin>]
Exit code 77 when the tools for a .deb are missing.
"""

import argparse
import glob
import importlib.util
import json
import os
import pwd
import shutil
import stat
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message, flush=True)
    if not condition:
        failures.append(message)
    return condition


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--plugins")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    args.plugins = args.plugins and os.path.abspath(args.plugins)
    if not shutil.which("dpkg-deb") or not shutil.which("cpack"):
        print("dpkg-deb or cpack missing")
        return 77

    work = tempfile.mkdtemp(prefix="kvn-deb-")
    os.chmod(work, 0o755)
    try:
        return run(args, work)
    finally:
        subprocess.run(["chmod", "-R", "u+w", work])
        shutil.rmtree(work, ignore_errors=True)


def run(args, work):
    packages = os.path.join(work, "packages")
    subprocess.run(["cpack", "-G", "DEB", "--config", os.path.join(args.build, "CPackConfig.cmake"), "-B",
                    packages], check=True, stdout=subprocess.DEVNULL)
    debs = glob.glob(os.path.join(packages, "*.deb"))
    if not check(len(debs) == 1, "cpack made one .deb"):
        return 1
    info = subprocess.run(["dpkg-deb", "-f", debs[0]], capture_output=True, text=True, check=True).stdout
    check("libqt6widgets6" in info, "the package depends on Qt's libraries")

    root = os.path.join(work, "root")
    subprocess.run(["dpkg", "-x", debs[0], root], check=True)
    app = os.path.join(root, "usr", "lib", "kestrovan")
    for name in ("kestrovan", "kestrovan-cli", "SII_Decrypt.exe"):
        check(os.access(os.path.join(app, name), os.X_OK), f"usr/lib/kestrovan/{name} is installed")
    for code in ("en", "de", "fr", "es"):
        check(os.path.isfile(os.path.join(app, "languages", code + ".lang")), f"languages/{code}.lang is installed")
    check(os.path.isfile(os.path.join(app, "help.html")), "the help page is installed beside the program")
    check(os.path.isfile(os.path.join(app, "city-positions-LICENSE.txt")),
          "the licence notice of the compiled city positions is installed beside the program")
    for name in ("kestrovan", "kestrovan-cli"):
        link = os.path.join(root, "usr", "bin", name)
        check(os.path.islink(link) and not os.path.isabs(os.readlink(link))
              and os.path.realpath(link) == os.path.realpath(os.path.join(app, name)),
              f"usr/bin/{name} is a relative link to the installed program")
    desktop = os.path.join(root, "usr", "share", "applications", "kestrovan.desktop")
    check(os.path.isfile(desktop), "the desktop entry is installed")
    check(os.path.isfile(os.path.join(root, "usr", "share", "icons", "hicolor", "scalable", "apps", "kestrovan.svg")),
          "the icon is installed")
    if shutil.which("desktop-file-validate"):
        check(subprocess.run(["desktop-file-validate", desktop]).returncode == 0, "the desktop entry is valid")

    # Installed as a package: nobody may write into the tree.
    subprocess.run(["chmod", "-R", "a-w", root], check=True)
    before = sorted(os.path.relpath(os.path.join(d, f), root) for d, _, fs in os.walk(root) for f in fs)

    home = os.path.join(work, "home")
    data_home = os.path.join(home, ".local", "share")
    game = os.path.join(data_home, "Euro Truck Simulator 2")
    subprocess.run([os.path.join(args.build, "bin", "kvn-savegen"), "--out", game, "--profiles", "1", "--lines",
                    "20000"], check=True, stdout=subprocess.DEVNULL)
    player = None
    if os.geteuid() == 0:
        # root may write anywhere; the check must run as a player.
        player = pwd.getpwnam("nobody")
        subprocess.run(["chown", "-R", f"{player.pw_uid}:{player.pw_gid}", home], check=True)
    env = dict(os.environ, HOME=home, XDG_DATA_HOME=data_home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_DOCUMENTS_DIR=os.path.join(home, "Documents"), QT_QPA_PLATFORM="offscreen",
               LANG="de_DE.UTF-8", XDG_RUNTIME_DIR=home)
    env.pop("LC_ALL", None)
    env.pop("LANGUAGE", None)
    env.pop("LC_MESSAGES", None)

    def as_player(argv, **kwargs):
        if player:
            argv = ["setpriv", f"--reuid={player.pw_uid}", f"--regid={player.pw_gid}", "--clear-groups"] + argv
        return subprocess.run(argv, env=env, cwd=home, timeout=120, **kwargs)

    if args.plugins:
        log = os.path.join(home, "watch.log")
        # The player may not be able to reach the build folder (a checkout in a private folder):
        # the plugin goes beside the unpacked package, where the player can read it.
        plugins = os.path.join(work, "plugins")
        shutil.copytree(args.plugins, plugins)
        subprocess.run(["chmod", "-R", "a+rX", plugins], check=True)
        env["QT_PLUGIN_PATH"] = plugins
        env["QT_QPA_GENERIC_PLUGINS"] = "kvnwindowwatch:" + log
        result = as_player([os.path.join(root, "usr", "bin", "kestrovan")], capture_output=True, text=True)
        env.pop("QT_QPA_GENERIC_PLUGINS")
        lines = open(log, encoding="utf-8").read().splitlines() if os.path.exists(log) else []
        check(result.returncode == 0, f"the installed window started and closed (exit code {result.returncode})")
        status = [line for line in lines if line.startswith("status ")]
        check(status == ["status Profile und Metadaten erfolgreich geladen"],
              f"the installed window speaks German from its installed language file: {status}")
        check(not any(line.startswith("shown QMessageBox") for line in lines), "no error dialogue")
        check(os.path.isfile(os.path.join(data_home, "Kestrovan", "Kvn-settings.ini")),
              "the window kept its options in the user's data folder")

    # One job through the installed command line: the files it keeps go to the user's data folder.
    spec = importlib.util.spec_from_file_location("killtest", os.path.join(SOURCE, "tests", "crash", "killtest.py"))
    killtest = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(killtest)
    runner = killtest.Runner(argparse.Namespace(seed=7), os.path.join(work, "probe"))
    profile = glob.glob(os.path.join(game, "profiles", "*"))[0]
    probe = os.path.join(work, "probe", "program")
    killtest.copy_program(os.path.join(args.build, "bin"), probe, ["kestrovan-cli", "SII_Decrypt.exe"])
    row = killtest.find_job_row(runner, probe, profile, os.path.join(work, "probe"))
    if check(row is not None, "a job for the generated save was found"):
        csv = os.path.join(home, "jobs.csv")
        with open(csv, "w") as f:
            f.write(killtest.CSV_HEADER + row)
        if player:
            os.chown(csv, player.pw_uid, player.pw_gid)
        cli = os.path.join(root, "usr", "bin", "kestrovan-cli")
        game_sii = os.path.join(profile, "save", "quicksave", "game.sii")

        def learnable():
            out = as_player([cli, "inspect", game_sii, "--json"], capture_output=True, text=True).stdout
            try:
                return json.loads(out)["learnable_distances"]
            except (ValueError, KeyError):
                return None

        learnable_before = learnable()
        result = as_player([cli, "add-jobs", profile, csv], capture_output=True, text=True)
        check(result.returncode == 0, f"the installed kestrovan-cli saved the job: {result.stdout.strip()}")
        data = os.path.join(data_home, "Kestrovan")
        check(os.path.isfile(os.path.join(data, "job-history.ini")),
              "the history is kept in the user's data folder")
        check(os.path.isfile(os.path.join(data, "distances-user.dat")),
              "the learnt distances are kept in the user's data folder")
        learnable_after = learnable()
        check(learnable_before and learnable_after is not None and learnable_after * 2 < learnable_before,
              f"inspect reads the distances learnt there ({learnable_before} unknown before, {learnable_after} after)")
    after = sorted(os.path.relpath(os.path.join(d, f), root) for d, _, fs in os.walk(root) for f in fs)
    check(before == after, "nothing was written into the installed tree")
    mode = os.stat(app).st_mode
    check(not mode & (stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH), "the installed tree stayed read-only")

    print(f"{len(failures)} failed" if failures else "the unpacked .deb works")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
