#!/usr/bin/env python3
"""cpu_share.py SECONDS PID [WINEPREFIX]: the CPU a process tree spends, as a
share of one core, printed as "whole idle services":

- whole: over the SECONDS from now;
- idle: the least over any 3-second stretch of them, which, with a step
  every 5 s, is a stretch between two steps in which nothing is drawn;
- services: with WINEPREFIX, the share of "whole" spent by that prefix's
  Wine processes outside the tree (wineserver, services.exe, explorer.exe,
  ...); otherwise 0.

The tree is PID and every process below it, looked up again at every
sample, so processes started meanwhile count. Time on the CPU is read per
thread from /proc/PID/task/TID/schedstat (nanoseconds), every 100 ms; a
thread that ends keeps what it was last seen to have spent.
"""
import os
import sys
import time

PERIOD = 0.1
IDLE_WINDOW = 3.0


def parents():
    found = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        # The name may hold blanks and parentheses: the fields follow the
        # last ')'.
        fields = stat[stat.rfind(")") + 2:].split()
        found[int(entry)] = int(fields[1])
    return found


def tree(root, table):
    members = {root}
    grew = True
    while grew:
        grew = False
        for pid, parent in table.items():
            if parent in members and pid not in members:
                members.add(pid)
                grew = True
    return members


def in_prefix(pid, prefix):
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            return b"WINEPREFIX=" + prefix.encode() + b"\0" in f.read() + b"\0"
    except OSError:
        return False


def threads(pid):
    """{tid: ns on the CPU} of the process's threads now."""
    found = {}
    try:
        for tid in os.listdir(f"/proc/{pid}/task"):
            try:
                with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                    found[int(tid)] = int(f.read().split()[0])
            except OSError:
                pass
    except OSError:
        pass
    return found


def main():
    seconds = float(sys.argv[1])
    root = int(sys.argv[2])
    prefix = sys.argv[3] if len(sys.argv) > 3 else None
    last = {}  # tid -> (ns spent, in the tree): an ended thread keeps its own
    samples = []  # (time, tree ns, services ns)
    start = time.monotonic()
    while True:
        table = parents()
        members = tree(root, table)
        services = set()
        if prefix:
            services = {p for p in table if p not in members and in_prefix(p, prefix)}
        for pid in members | services:
            for tid, ns in threads(pid).items():
                last[tid] = (ns, pid in members)
        now = time.monotonic()
        samples.append((now,
                        sum(ns for ns, inside in last.values() if inside),
                        sum(ns for ns, inside in last.values() if not inside)))
        if now - start >= seconds:
            break
        time.sleep(PERIOD)
    t0, a0, s0 = samples[0]
    t1, a1, s1 = samples[-1]
    whole = (a1 - a0) / 1e9 / (t1 - t0)
    service = (s1 - s0) / 1e9 / (t1 - t0)
    idle = whole
    j = 0
    for i, (ti, ai, _) in enumerate(samples):
        while j < len(samples) and samples[j][0] - ti < IDLE_WINDOW:
            j += 1
        if j == len(samples):
            break
        tj, aj, _ = samples[j]
        idle = min(idle, (aj - ai) / 1e9 / (tj - ti))
    print(f"{100 * whole:.2f} {100 * idle:.2f} {100 * service:.2f}")


if __name__ == "__main__":
    main()
