#!/usr/bin/python3
"""Checks the iCalendar writer's texts with third-party parsers (python3-icalendar, and python3-vobject,
which Radicale reads with).

    check-ical.py <corpus writer program>

Runs the program to write <name>.ics and <name>.json into a temporary folder, parses every .ics with
icalendar and compares each VEVENT's DTSTART, DTEND, RECURRENCE-ID, EXDATE and RRULE UNTIL with the
times in the .json, which the program takes from the appointments themselves; a series' occurrences,
expanded by dateutil from the parsed rule in its own zone, must fall where the store has them."""

import datetime
import json
import pathlib
import subprocess
import sys
import tempfile

import dateutil.rrule
import icalendar
import vobject
import zoneinfo


def text_of(value):
    """Times in UTC as YYYY-MM-DDTHH:MM:SSZ, dates as YYYY-MM-DD; a floating time is a failure."""
    if isinstance(value, datetime.datetime):
        if value.tzinfo is None:
            raise ValueError(f"{value!r} names no zone")
        return value.astimezone(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
    if isinstance(value, datetime.date):
        return value.strftime("%Y-%m-%d")
    raise ValueError(f"{value!r} is neither a date nor a date-time")


def exdates_of(event):
    found = []
    values = event.get("EXDATE")
    if values is None:
        return found
    for line in values if isinstance(values, list) else [values]:
        found.extend(text_of(item.dt) for item in line.dts)
    return found


def occurrences_of(events, count):
    """The first `count` starts of the series: the rule expanded in DTSTART's zone, less EXDATE, with the
    changed occurrences where they moved to."""
    master = events[0]
    start = master.decoded("DTSTART")
    if not isinstance(start, datetime.datetime):
        start = datetime.datetime.combine(start, datetime.time())
    elif hasattr(start.tzinfo, "zone"):
        # pytz keeps the offset of DTSTART's own date; the rule needs the zone's rules on every date.
        start = start.replace(tzinfo=zoneinfo.ZoneInfo(start.tzinfo.zone))
    dates_only = not isinstance(master.decoded("DTSTART"), datetime.datetime)
    rule = dateutil.rrule.rrulestr(master["RRULE"].to_ical().decode(), dtstart=start)
    deleted = set(exdates_of(master))
    moved = {text_of(e.decoded("RECURRENCE-ID")): text_of(e.decoded("DTSTART")) for e in events[1:]}
    starts = []
    for index, when in enumerate(rule):
        if index >= 1000 or len(starts) >= count:
            break
        key = text_of(when.date() if dates_only else when)
        if key not in deleted:
            starts.append(moved.get(key, key))
    return sorted(starts)


def check_file(ics_path, expected):
    problems = []
    calendar = icalendar.Calendar.from_ical(ics_path.read_bytes())
    if calendar.errors:
        problems.append(f"parser errors: {calendar.errors}")
    events = [component for component in calendar.walk("VEVENT")]
    for component in calendar.walk():
        if component.errors:
            problems.append(f"{component.name}: {component.errors}")
    if len(events) != len(expected["events"]):
        problems.append(f"{len(events)} VEVENTs, expected {len(expected['events'])}")
        return problems
    for index, (event, want) in enumerate(zip(events, expected["events"])):
        got = {
            "dtstart": text_of(event.decoded("DTSTART")),
            "dtend": text_of(event.decoded("DTEND")),
        }
        if "RECURRENCE-ID" in event:
            got["recurrence_id"] = text_of(event.decoded("RECURRENCE-ID"))
        if "exdate" in want:
            got["exdate"] = exdates_of(event)
        if "RRULE" in event and "UNTIL" in event["RRULE"]:
            got["until"] = text_of(event["RRULE"]["UNTIL"][0])
        if "occurrences" in want:
            got["occurrences"] = occurrences_of(events, len(want["occurrences"]))
        for key, value in want.items():
            if got.get(key) != value:
                problems.append(f"VEVENT {index + 1} {key}: parsed {got.get(key)!r}, expected {value!r}")
        for line in ("SUMMARY", "UID", "DTSTAMP"):
            if line not in event:
                problems.append(f"VEVENT {index + 1} has no {line}")
    problems.extend(check_with_vobject(ics_path, expected))
    return problems


def check_with_vobject(ics_path, expected):
    problems = []
    calendar = vobject.readOne(ics_path.read_text(encoding="utf-8"))
    events = [component for component in calendar.components() if component.name == "VEVENT"]
    starts = [text_of(event.dtstart.value) for event in events]
    wanted = [event["dtstart"] for event in expected["events"]]
    if starts != wanted:
        problems.append(f"vobject: DTSTART {starts}, expected {wanted}")
    return problems


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([sys.argv[1], folder], check=True, timeout=60)
        files = sorted(pathlib.Path(folder).glob("*.ics"))
        if not files:
            print("check-ical: the writer produced no texts", file=sys.stderr)
            return 1
        failed = False
        for ics_path in files:
            expected = json.loads(ics_path.with_suffix(".json").read_text())
            try:
                problems = check_file(ics_path, expected)
            except (ValueError, KeyError, vobject.base.ParseError) as error:
                problems = [str(error)]
            status = "ok" if not problems else "FAILED"
            print(f"{ics_path.name}: {status}")
            for problem in problems:
                print(f"  {problem}")
            failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
