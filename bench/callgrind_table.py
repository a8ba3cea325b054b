#!/usr/bin/env python3
"""Turns the callgrind dumps of bench/callgrind-counts into two Markdown tables.

Each dump is named by its client request: "<allocator>/<size>/<process>" for bench_pool_pairs,
"<table>/<hit|miss>/<keys>" for bench_hash_finds; its total divided by the loop count that the
program printed is the count per operation.
"""
import glob
import os
import re
import sys


def dumps(folder):
    with open(os.path.join(folder, "stdout")) as f:
        per = int(re.search(r"per row: (\d+)", f.read()).group(1))
    counts = {}
    for path in glob.glob(os.path.join(folder, "cg.*")):
        label = total = None
        with open(path) as f:
            for line in f:
                if line.startswith("desc: Trigger: Client Request: "):
                    label = line.split("Client Request: ", 1)[1].strip()
                elif line.startswith("totals:"):
                    total = int(line.split()[1])
        if label and total is not None:
            counts[tuple(label.split("/"))] = total / per
    return counts


def main():
    out = sys.argv[1]
    pairs = dumps(os.path.join(out, "bench_pool_pairs"))
    print("Instructions per allocate + free pair, loop included:")
    print()
    print("| process | size (B) | pool | pool, no lock (floor) | glibc | mimalloc |")
    print("|---|---|---:|---:|---:|---:|")
    for where in ("never-threaded", "threaded"):
        for size in ("16", "64", "256", "4096"):
            cells = [f"{pairs.get((a, size, where), float('nan')):.1f}"
                     for a in ("pool", "pool-no-lock", "glibc", "mimalloc")]
            print(f"| {where} | {size} | " + " | ".join(cells) + " |")
    finds = dumps(os.path.join(out, "bench_hash_finds"))
    print()
    print("Instructions per find by name, loop included:")
    print()
    print("| probe | keys | OrnHashTable | unordered_map |")
    print("|---|---|---:|---:|")
    for kind in ("hit", "miss"):
        for keys in ("100", "10000"):
            cells = [f"{finds.get((t, kind, keys), float('nan')):.1f}"
                     for t in ("OrnHashTable", "unordered_map")]
            print(f"| {kind} | {keys} | " + " | ".join(cells) + " |")


if __name__ == "__main__":
    main()
