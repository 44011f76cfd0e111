#!/usr/bin/env python3
"""qemu_hot_loop.py LOG BASELINE: the loop a program spent its time in, as
assembly for llvm-mca, from qemu-user logs made with -d nochain,exec,in_asm:
LOG of the run to model, BASELINE of the same program doing everything but
the work to model (the kernel bench with no kernel).

in_asm prints each translated block once and exec each run of a block in
order (with nochain, every run), so the log holds the path the program
took. The hot loop is the cycle of blocks that starts at the block that ran
the most instructions more than in the baseline and follows, from each block, the block that most often came next,
until it is back at the start. That is the kernel's steady state as it
actually ran, whatever the compiler made of the source's loops.

Prints the cycle's instructions between LLVM-MCA-BEGIN and END comments,
with branch targets made the loop's label (llvm-mca ignores where a branch
goes), and on stderr the share of the instructions run beyond the
baseline that the cycle's blocks account for, so a reader can see that the
model covers the kernel's work.
"""
import collections
import re
import sys

TRACE = re.compile(r"^Trace \d+: \S+ \[[0-9a-f]+/([0-9a-f]+)/")
INSN = re.compile(r"^0x([0-9a-f]+):\s+[0-9a-f]+\s+(\S+)\s*(.*?)\s*$")
BRANCHES = {"b", "bl", "cbz", "cbnz", "tbz", "tbnz"}
MAX_BLOCKS = 256  # a loop has far fewer; the bound keeps a stray log finite


def parse(path):
    blocks = {}  # start address -> [(mnemonic, operands)]
    runs = collections.Counter()
    after = collections.defaultdict(collections.Counter)
    current, previous = None, None
    with open(path, errors="replace") as log:
        for line in log:
            if line.startswith("IN:"):
                current = []
                continue
            if current is not None:
                m = INSN.match(line)
                if m:
                    if not current:
                        start = int(m.group(1), 16)
                        blocks[start] = current
                    current.append((m.group(2), m.group(3)))
                    continue
                current = None
            m = TRACE.match(line)
            if m:
                pc = int(m.group(1), 16)
                runs[pc] += 1
                if previous is not None:
                    after[previous][pc] += 1
                previous = pc
    return blocks, runs, after


def hot_cycle(blocks, runs, baseline, after):
    start = max(runs, key=lambda pc: (runs[pc] - baseline[pc]) *
                len(blocks.get(pc, ())))
    cycle = [start]
    while len(cycle) < MAX_BLOCKS:
        following = after[cycle[-1]]
        if not following:
            break
        nxt = following.most_common(1)[0][0]
        if nxt == start:
            return cycle
        if nxt in cycle:
            # A loop that does not pass through the hottest block: keep the
            # part of the path that is the loop.
            return cycle[cycle.index(nxt):]
        cycle.append(nxt)
    return cycle


def as_mca(instruction):
    mnemonic, operands = instruction
    base = mnemonic.split(".")[0]
    if base in BRANCHES or mnemonic.startswith("b."):
        operands = re.sub(r"#0x[0-9a-f]+$", "hot", operands)
    return f"{mnemonic} {operands}".strip()


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: qemu_hot_loop.py LOG BASELINE")
    blocks, runs, after = parse(sys.argv[1])
    _, baseline, _ = parse(sys.argv[2])
    if not runs:
        sys.exit("qemu_hot_loop.py: no blocks ran in " + sys.argv[1])
    cycle = hot_cycle(blocks, runs, baseline, after)
    # The work modelled: what the run executed beyond the baseline.
    def beyond(pc):
        return max(runs[pc] - baseline[pc], 0) * len(blocks.get(pc, ()))
    total = sum(beyond(pc) for pc in runs)
    covered = sum(beyond(pc) for pc in cycle)
    print("hot:")
    print("# LLVM-MCA-BEGIN hot-loop")
    for pc in cycle:
        for instruction in blocks.get(pc, ()):
            print("\t" + as_mca(instruction))
    print("# LLVM-MCA-END hot-loop")
    print(f"{len(cycle)} blocks, {sum(len(blocks.get(pc, ())) for pc in cycle)} "
          f"instructions, {100.0 * covered / max(total, 1):.0f}% of those the "
          "kernel executed",
          file=sys.stderr)


if __name__ == "__main__":
    main()
