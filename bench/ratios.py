#!/usr/bin/env python3
"""Prints the framework-to-alternative time ratios of one benchmark run against their targets.

Usage: bench/ratios.py pool.json string.json hash_table.json
(each the --benchmark_format=json output of bench_pool, bench_string, bench_hash_table; with
repetitions the median is used). Prints one Markdown table.
"""
import json
import sys


def load(paths):
    times = {}
    for path in paths:
        with open(path) as f:
            data = json.load(f)
        for b in data["benchmarks"]:
            if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
                continue
            name = b.get("run_name", b["name"])
            # Threaded runs are compared by wall time per thread, single ones by CPU time.
            key = "real_time" if "threads:2" in name else "cpu_time"
            times[name] = b[key]
    return times


# (label, framework run, alternative run, target ratio or None)
def comparisons():
    rows = []
    for prefix, where in (("BM_Pair", "never-threaded process"),
                          ("BM_PairInThreadedProcess", "threaded process")):
        for size in (16, 64, 256):
            rows.append((f"pair {size} B vs glibc, {where}", f"{prefix}<PoolPair>/{size}",
                         f"{prefix}<GlibcPair>/{size}", 0.9))
            rows.append((f"pair {size} B vs mimalloc, {where}", f"{prefix}<PoolPair>/{size}",
                         f"{prefix}<MimallocPair>/{size}", 1.0))
        rows.append((f"pair 4096 B vs glibc, {where}", f"{prefix}<PoolPair>/4096",
                     f"{prefix}<GlibcPair>/4096", 0.6))
    for prefix, where in (("BM_Batch64", "never-threaded process"),
                          ("BM_Batch64InThreadedProcess", "threaded process")):
        for size in (16, 64, 256):
            rows.append((f"batch of 64, {size} B vs glibc, {where}", f"{prefix}<PoolPair>/{size}",
                         f"{prefix}<GlibcPair>/{size}", 1.0))
        rows.append((f"batch of 64, 4096 B vs glibc, {where}", f"{prefix}<PoolPair>/4096",
                     f"{prefix}<GlibcPair>/4096", 0.6))
    # The floor: the same pool with no lock, beside the threaded-process targets.
    for size in (16, 64, 256, 4096):
        target = 0.6 if size == 4096 else 0.9
        rows.append((f"floor: pair {size} B, pool with no lock vs glibc, threaded process",
                     f"BM_PairInThreadedProcess<NoLockPoolPair>/{size}",
                     f"BM_PairInThreadedProcess<GlibcPair>/{size}", target))
        rows.append((f"lock's share: pair {size} B, pool vs pool with no lock, threaded process",
                     f"BM_PairInThreadedProcess<PoolPair>/{size}",
                     f"BM_PairInThreadedProcess<NoLockPoolPair>/{size}", None))
    for size in (16, 64, 256, 4096):
        target = 0.6 if size == 4096 else 1.0
        rows.append((f"floor: batch of 64, {size} B, pool with no lock vs glibc, threaded process",
                     f"BM_Batch64InThreadedProcess<NoLockPoolPair>/{size}",
                     f"BM_Batch64InThreadedProcess<GlibcPair>/{size}", target))
    for size in (16, 64, 256, 4096):
        rows.append((f"2 threads, pair {size} B vs same pool under std::recursive_mutex",
                     f"BM_Pair<PoolPair>/{size}/real_time/threads:2",
                     f"BM_Pair<MutexPoolPair>/{size}/real_time/threads:2", 1.0))
        rows.append((f"2 threads, pair {size} B vs glibc (no target)",
                     f"BM_Pair<PoolPair>/{size}/real_time/threads:2",
                     f"BM_Pair<GlibcPair>/{size}/real_time/threads:2", None))
    rows.append(("lock + unlock vs std::recursive_mutex, threaded process",
                 "BM_Lock_RecursiveLock", "BM_Lock_StdRecursiveMutex", None))
    rows.append(("lock + unlock vs std::recursive_mutex, 2 threads",
                 "BM_Lock_RecursiveLock/real_time/threads:2",
                 "BM_Lock_StdRecursiveMutex/real_time/threads:2", None))
    for chars, target in ((8, 2.0), (40, 1.0)):
        rows.append((f"OrnString construct+copy+destroy, {chars} chars vs std::string",
                     f"BM_OrnString/{chars}", f"BM_StdString/{chars}", target))
        rows.append((f"OrnString copy alone, {chars} chars vs std::string",
                     f"BM_OrnStringCopy/{chars}", f"BM_StdStringCopy/{chars}", target))
    for kind in ("hit", "miss"):
        for keys in (100, 10000, 1000000):
            rows.append((f"OrnHashTable find ({kind}), {keys} keys vs unordered_map",
                         f"BM_OrnHashTableFind/{kind}/{keys}",
                         f"BM_UnorderedMapFind/{kind}/{keys}", 1.0))
    return rows


def main():
    times = load(sys.argv[1:])
    print("| comparison | ours (ns) | alternative (ns) | ratio | target | met |")
    print("|---|---:|---:|---:|---:|---|")
    for label, ours, theirs, target in comparisons():
        if ours not in times or theirs not in times:
            continue
        ratio = times[ours] / times[theirs]
        met = "" if target is None else ("yes" if ratio <= target else "**no**")
        shown = "" if target is None else f"≤ {target:g}"
        print(f"| {label} | {times[ours]:.1f} | {times[theirs]:.1f} | {ratio:.2f} | {shown} | {met} |")


if __name__ == "__main__":
    main()
