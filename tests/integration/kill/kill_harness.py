#!/usr/bin/python3
"""Kills `velsync sync` with SIGKILL at a random point, or damages its index or store, and checks that
the runs after it neither lose nor duplicate anything.

  kill_harness.py --velsync PROGRAM --scenarios FILE [--seeds N] [--first-seed S] [--only NAME]
  kill_harness.py --velsync PROGRAM --scenarios FILE --damage TABLE [--only NAME]

For each scenario of FILE, one clean first sync counts the requests it sends and times it. Then for each
seed: a fresh home, items on the server (written into Radicale's storage, as another client's upload
leaves them) and in the store, one `velsync sync` killed (after the k-th of those requests the server
logged, or at a moment within that time; both from the seed), then syncs until one exits 0 (at most 4),
then one more sync that must send no PUT and no DELETE. Both sides must then hold every item
exactly once. With --damage, each row of TABLE replaces the kill by a clean sync and damaged files.
The server is Apache with Digest in front of Radicale (scripts/servers/start apache-digest), whose access
log counts the requests. Exit 0 all passed, 1 a failure (the seed is printed), 77 no server (skipped).
"""
import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
SYNC_TIMEOUT_S = 120
KILL_WAIT_S = 60


class Failure(Exception):
    pass


def read_table(path, columns, is_valid=lambda row: True):
    """The rows of a data file: blank-separated words under `columns`, "#" starts a comment."""
    rows = []
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            row = dict(zip(columns, words))
            if len(words) != len(columns) or not is_valid(row):
                raise SystemExit("%s: bad line: %s" % (path, line.strip()))
            rows.append(row)
    return rows


def read_scenarios(path):
    rows = read_table(path, ("name", "kinds", "server", "store"),
                      lambda row: all(row[key].isdigit() for key in ("server", "store")))
    for row in rows:
        for key in ("server", "store"):
            row[key] = int(row[key])
    return rows


class Server:
    def __init__(self):
        self.state = tempfile.mkdtemp(prefix="velsync-kill-server-")
        out = subprocess.run([os.path.join(SOURCE_DIR, "scripts/servers/start"), "apache-digest", self.state],
                             capture_output=True, text=True, timeout=300)
        values = dict(line.split("=", 1) for line in out.stdout.splitlines() if "=" in line)
        self.url = values.get("url", "")
        self.access_log = values.get("access_log", "")
        self.start_output = out.stdout + out.stderr
        self.root = os.path.join(self.state, "radicale-behind-apache/collections/collection-root/alice")

    def started(self):
        return bool(self.url) and bool(self.access_log)

    def stop(self):
        subprocess.run([os.path.join(SOURCE_DIR, "scripts/servers/stop"), self.state], capture_output=True,
                       timeout=120)
        shutil.rmtree(self.state, ignore_errors=True)

    def reset(self):
        """Alice's home as the start script made it: empty calendar and address book, nothing else."""
        for name in os.listdir(self.root):
            path = os.path.join(self.root, name)
            if name in ("calendar", "addressbook"):
                for item in os.listdir(path):
                    if item != ".Radicale.props":
                        target = os.path.join(path, item)
                        shutil.rmtree(target) if os.path.isdir(target) else os.remove(target)
            elif not os.path.islink(path) and name != ".Radicale.props":
                shutil.rmtree(path) if os.path.isdir(path) else os.remove(path)

    def log_lines(self):
        with open(self.access_log, encoding="utf-8", errors="replace") as log:
            return log.read().splitlines()

    def put_file(self, collection, name, text):
        with open(os.path.join(self.root, collection, name), "w", encoding="utf-8", newline="") as out:
            out.write(text)

    def items(self, suffix):
        """(UID, text) of every item of alice's own collections (not bob's shares)."""
        found = []
        for collection in sorted(os.listdir(self.root)):
            folder = os.path.join(self.root, collection)
            if os.path.islink(folder) or not os.path.isdir(folder):
                continue
            for name in sorted(os.listdir(folder)):
                if name.endswith(suffix):
                    with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as item:
                        text = item.read()
                    found.append((unfolded_value(text, "UID") or "", text))
        return found


def unfolded_value(text, name):
    match = re.search(r"^%s[;:](?:[^:\r\n]*:)?(.*?)\r?$" % name, re.sub(r"\r?\n[ \t]", "", text), re.M)
    return match.group(1) if match else None


class Home:
    def __init__(self, velsync, server, kinds):
        self.velsync = velsync
        self.root = tempfile.mkdtemp(prefix="velsync-kill-home-")
        self.env = dict(os.environ, VELSYNC_HOME=self.root, APPDATA=os.path.join(self.root, "appdata"),
                        TZ="UTC")
        self.run(["register", "--user"])
        calendars = "on" if kinds == "calendars" else "off"
        contacts = "off" if kinds == "calendars" else "on"
        self.run(["options", "--url", server.url, "--email", "alice", "--password-stdin", "--calendars",
                  calendars, "--contacts", contacts], stdin="secret\n")

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def run(self, args, stdin="", check=True):
        out = subprocess.run([self.velsync] + args, input=stdin, capture_output=True, text=True,
                             env=self.env, timeout=SYNC_TIMEOUT_S)
        if check and out.returncode != 0:
            raise Failure("velsync %s: exit %d\n%s%s" % (" ".join(args), out.returncode, out.stdout,
                                                         out.stderr))
        return out

    def json_lines(self, args):
        return [json.loads(line) for line in self.run(args + ["--json"]).stdout.splitlines() if line]


def event_text(uid, subject, day):
    return ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//kill harness//EN\r\nBEGIN:VEVENT\r\nUID:%s\r\n"
            "DTSTAMP:20300101T000000Z\r\nDTSTART:203003%02dT120000Z\r\nDTEND:203003%02dT130000Z\r\n"
            "SUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n" % (uid, day, day, subject))


def card_text(uid, name, category):
    categories = "CATEGORIES:%s\r\n" % category if category else ""
    return ("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%s\r\nFN:%s\r\nN:%s;;;;\r\nEMAIL:%s@example.org\r\n%s"
            "END:VCARD\r\n" % (uid, name, name, uid, categories))


def populate(scenario, seed, server, home):
    """Puts the scenario's items on both sides; returns the names every side must hold in the end."""
    expected = []
    for i in range(scenario["server"]):
        name = "s%d-%d" % (seed, i)
        expected.append(name)
        if scenario["kinds"] == "calendars":
            server.put_file("calendar", name + ".ics", event_text("uid-" + name, name, 1 + i % 28))
        else:
            group = "Team" if scenario["kinds"] == "groups" else ""
            server.put_file("addressbook", name + ".vcf", card_text("uid-" + name, name, group))
    if scenario["kinds"] == "calendars" and scenario["store"] > 1:
        home.run(["calendar", "mkdir", "Work"])
    for i in range(scenario["store"]):
        name = "o%d-%d" % (seed, i)
        expected.append(name)
        if scenario["kinds"] == "calendars":
            # The last one in a calendar of its own, which a run must neither lose nor offer to delete.
            folder = ["--folder", "Calendar/Work"] if i == scenario["store"] - 1 and i > 0 else []
            home.run(["calendar", "add", "--subject", name, "--start", "2030-04-%02d 09:00" % (1 + i % 28)] +
                     folder)
        else:
            home.run(["contacts", "add", "--name", name, "--email", name + "@example.org"])
    if scenario["kinds"] == "groups":
        list_id = home.json_lines(["contacts", "group-create", "Crew"])[0]["entry_id"]
        for i in range(scenario["store"]):
            home.run(["contacts", "group-add", list_id, "o%d-%d@example.org" % (seed, i)])
    return sorted(expected)


def killed_sync(home, server, kill_after, delay_s):
    """Starts a sync and SIGKILLs it `delay_s` after the server logged `kill_after` more requests."""
    before = len(server.log_lines())
    child = subprocess.Popen([home.velsync, "sync"], env=home.env, stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + KILL_WAIT_S
    while child.poll() is None and time.monotonic() < deadline:
        if len(server.log_lines()) - before >= kill_after:
            time.sleep(delay_s)
            break
        time.sleep(0.002)
    killed = child.poll() is None
    if killed:
        child.send_signal(signal.SIGKILL)
    child.wait(timeout=30)
    return killed


def sync_until_clean(home):
    for _ in range(4):
        out = home.run(["sync"], check=False)
        if out.returncode == 0:
            return
    raise Failure("none of 4 syncs exited 0; the last said:\n" + out.stdout + out.stderr)


def writes_of(lines):
    return [line for line in lines if re.search(r'"(PUT|DELETE) ', line)]


def store_state(home, kinds):
    if kinds == "calendars":
        items = home.json_lines(["calendar", "list", "--from", "2030-01-01", "--to", "2031-01-01"])
        return sorted(item["subject"] for item in items), {}
    # Bob's read-only address book has a folder of its own below Contacts.
    entries = [entry for entry in home.json_lines(["contacts", "list"]) if entry["folder"] == "Contacts"]
    names = sorted(entry["name"] for entry in entries if entry["kind"] == "contact")
    lists = {}
    for entry in entries:
        if entry["kind"] == "list":
            if entry["name"] in lists:
                raise Failure("the distribution list %s is in the store twice" % entry["name"])
            lists[entry["name"]] = int(entry["email"].split()[0])
    return names, lists


def server_state(server, kinds):
    if kinds == "calendars":
        items = server.items(".ics")
        names = [unfolded_value(text, "SUMMARY") for _, text in items]
        groups = {}
    else:
        items = server.items(".vcf")
        names = [unfolded_value(text, "FN") for _, text in items]
        groups = {}
        for _, text in items:
            for group in filter(None, (unfolded_value(text, "CATEGORIES") or "").split(",")):
                groups[group] = groups.get(group, 0) + 1
    uids = [uid for uid, _ in items]
    if len(set(uids)) != len(uids) or "" in uids:
        raise Failure("server UIDs are missing or repeated: %s" % sorted(uids))
    return sorted(names), groups


def check_both_sides(home, server, scenario, expected):
    """The sync after a clean one writes nothing, and both sides hold every item once."""
    before = len(server.log_lines())
    home.run(["sync"])
    writes = writes_of(server.log_lines()[before:])
    if writes:
        raise Failure("the sync after a clean one still wrote:\n  " + "\n  ".join(writes))
    store_names, store_lists = store_state(home, scenario["kinds"])
    server_names, server_groups = server_state(server, scenario["kinds"])
    if store_names != expected:
        raise Failure("store holds %s, expected %s" % (store_names, expected))
    if server_names != expected:
        raise Failure("server holds %s, expected %s" % (server_names, expected))
    if store_lists != server_groups:
        raise Failure("store lists %s, server categories %s" % (store_lists, server_groups))


def measure_first_sync(velsync, server, scenario):
    """How many requests a clean first sync of the scenario sends, and how long it takes."""
    server.reset()
    home = Home(velsync, server, scenario["kinds"])
    try:
        populate(scenario, 0, server, home)
        before = len(server.log_lines())
        started = time.monotonic()
        home.run(["sync"])
        return len(server.log_lines()) - before, time.monotonic() - started
    finally:
        home.remove()


def kill_case(home, server, scenario, seed):
    # The scenario's name too, so that each scenario is killed at points of its own.
    rng = random.Random("%s-%d" % (scenario["name"], seed))
    # Half the seeds kill near a request, half at a moment of the work between and after requests
    # (a download's appointments are made after its last request). Both fall within the run: before its
    # last request, or within the first 60% of its time (a run takes a quarter more or less under load).
    if seed % 2:
        kill_after, delay_s = rng.randint(1, max(1, scenario["requests"] - 1)), rng.random() * 0.02
    else:
        kill_after, delay_s = 0, rng.random() * 0.6 * scenario["seconds"]
    killed = killed_sync(home, server, kill_after, delay_s)
    sync_until_clean(home)
    point = "request %d + %.3f s" % (kill_after, delay_s)
    return ("killed at " if killed else "ended before ") + point


def damage_files(paths, how, rng):
    for path in paths:
        if how == "remove":
            os.remove(path)
            continue
        if how == "block":
            # A folder in the file's place: it cannot be read or written over.
            os.remove(path)
            os.mkdir(path)
            continue
        size = os.path.getsize(path)
        with open(path, "r+b") as damaged:
            if how == "zero":
                damaged.truncate(0)
            elif how == "truncate":
                damaged.truncate(size // 2)
            elif how == "garbage":
                damaged.write(bytes(rng.randrange(256) for _ in range(max(size, 64))))
            else:
                raise SystemExit("unknown damage: " + how)


def damage_case(home, server, scenario, seed, row):
    """A clean sync, then the index files or the store damaged as `row` says."""
    home.run(["sync"])
    if row["target"] == "index":
        folder = os.path.join(home.root, "appdata/Velmarquin/HarrowgateAddin/Index")
        paths = [os.path.join(top, name) for top, _, names in os.walk(folder) for name in names]
    else:
        paths = [os.path.join(home.root, name) for name in os.listdir(home.root)
                 if name.startswith("outlook.db")]
    damage_files(paths, row["how"], random.Random(seed))
    if row["expect"] == "refused":
        # A store that cannot be read is kept for the user; the run says so and touches nothing.
        kept = {path: open(path, "rb").read() for path in paths if os.path.exists(path)}
        before = len(server.log_lines())
        out = home.run(["sync"], check=False)
        if out.returncode == 0 or "damaged" not in out.stdout + out.stderr:
            raise Failure("a damaged store was not refused: exit %d\n%s%s" % (out.returncode, out.stdout,
                                                                              out.stderr))
        if server.log_lines()[before:]:
            raise Failure("a refused run still sent requests")
        if any(open(path, "rb").read() != text for path, text in kept.items()):
            raise Failure("the damaged store was changed")
        return "refused"
    if row["expect"] == "partial":
        # The index cannot be written: the run must say it fell short, and duplicate nothing.
        out = home.run(["sync"], check=False)
        if out.returncode != 1:
            raise Failure("a run that could not save its index exited %d\n%s%s" % (out.returncode, out.stdout,
                                                                                   out.stderr))
        for path in paths:
            os.rmdir(path)
    sync_until_clean(home)
    return "synced"


def check_case(velsync, server, scenario, seed, disturb):
    server.reset()
    home = Home(velsync, server, scenario["kinds"])
    try:
        expected = populate(scenario, seed, server, home)
        outcome = disturb(home)
        if outcome != "refused":
            check_both_sides(home, server, scenario, expected)
        return outcome
    finally:
        # KILL_HARNESS_KEEP=1 keeps the homes (store, index, logs) to look at.
        if os.environ.get("KILL_HARNESS_KEEP") == "1":
            print("home: " + home.root)
        else:
            home.remove()


def read_damage(path, scenarios):
    return read_table(path, ("name", "scenario", "target", "how", "expect"),
                      lambda row: row["scenario"] in scenarios)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--velsync", required=True)
    parser.add_argument("--scenarios", required=True)
    parser.add_argument("--seeds", type=int, default=4)
    parser.add_argument("--first-seed", type=int, default=int(os.environ.get("KILL_SEED", "1")))
    parser.add_argument("--damage", default="", help="a table of damage cases to run instead of kills")
    parser.add_argument("--only", default="")
    args = parser.parse_args()
    scenarios = {s["name"]: s for s in read_scenarios(args.scenarios)}
    cases = []
    if args.damage:
        for row in read_damage(args.damage, scenarios):
            cases.append((row["name"], scenarios[row["scenario"]], args.first_seed,
                          lambda home, sc=scenarios[row["scenario"]], seed=args.first_seed, row=row:
                          damage_case(home, server, sc, seed, row)))
    else:
        for scenario in scenarios.values():
            for seed in range(args.first_seed, args.first_seed + args.seeds):
                cases.append((scenario["name"], scenario, seed,
                              lambda home, sc=scenario, seed=seed: kill_case(home, server, sc, seed)))
    cases = [case for case in cases if not args.only or case[0] == args.only]
    server = Server()
    if not server.started():
        print(server.start_output)
        return 1 if os.environ.get("VELSYNC_REQUIRE_SERVERS") == "1" else 77
    failures = 0
    killed = 0
    try:
        if not args.damage:
            for scenario in scenarios.values():
                if not args.only or scenario["name"] == args.only:
                    scenario["requests"], scenario["seconds"] = measure_first_sync(args.velsync, server,
                                                                                   scenario)
                    print("     %-16s a first sync: %d requests, %.2f s" % (
                        scenario["name"], scenario["requests"], scenario["seconds"]), flush=True)
        for name, scenario, seed, disturb in cases:
            try:
                outcome = check_case(args.velsync, server, scenario, seed, disturb)
                killed += outcome.startswith("killed")
                print("ok   %-16s seed %d: %s" % (name, seed, outcome), flush=True)
            except (Failure, subprocess.TimeoutExpired) as failure:
                failures += 1
                print("FAIL %-16s seed %d: %s" % (name, seed, failure), flush=True)
    finally:
        server.stop()
    if not args.damage:
        print("%d of %d killed" % (killed, len(cases)))
    print("%d of %d failed" % (failures, len(cases)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
