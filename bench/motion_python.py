"""Python-side benchmark of the vtrl3ds module on the 20,000-frame anchor motion (30 joints, 93
channels, 15 MB): load_motion plus world_positions, against numpy.loadtxt on the motion numbers
alone and against our C++ load (bench_load_bvh's BM_Vtrl3ds, run here first; it also writes the
file). CPU time of this process (so that other work on a shared machine does not count: the work
of every thread, world_positions' second one included), and beside it the elapsed time, which the
second thread shortens when a core is free; median of several rounds, warm cache.
Usage: PYTHONPATH=build/python /usr/bin/python3 bench/motion_python.py build/bench/bench_load_bvh"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np

import vtrl3ds


def median_ms(call, rounds, clock=time.process_time):
    times = []
    for _ in range(rounds):
        start = clock()
        call()
        times.append((clock() - start) * 1000)
    return statistics.median(times)


def cpp_load_ms(bench):
    out = subprocess.run([bench, "--benchmark_filter=BM_Vtrl3ds", "--benchmark_format=json"],
                         check=True, capture_output=True, text=True).stdout
    runs = json.loads(out)["benchmarks"]
    return next(b["cpu_time"] for b in runs if b.get("aggregate_name") == "median")


def main():
    cpp = cpp_load_ms(sys.argv[1])
    path = os.path.join(tempfile.gettempdir(), "vtrl_bench_motion.bvh")
    with open(path) as f:
        header = next(i for i, line in enumerate(f) if line.startswith("Frame Time")) + 1

    def ours():
        motion = vtrl3ds.load_motion(path)
        return motion.world_positions()

    motion = vtrl3ds.load_motion(path)
    shape = motion.world_positions().shape
    ours_ms = median_ms(ours, 7)
    load_ms = median_ms(lambda: vtrl3ds.load_motion(path), 7)
    world_ms = median_ms(motion.world_positions, 7)
    loadtxt = lambda: np.loadtxt(path, skiprows=header, dtype=np.float32)
    loadtxt_ms = median_ms(loadtxt, 3)
    ours_wall, loadtxt_wall = median_ms(ours, 7, time.perf_counter), median_ms(loadtxt, 3, time.perf_counter)
    print(f"anchor motion {path}: world positions {shape}")
    print(f"{'vtrl3ds.load_motion + world_positions':40} {ours_ms:9.1f} ms   (load {load_ms:.1f}, world positions {world_ms:.1f})")
    print(f"{'numpy.loadtxt (motion numbers only)':40} {loadtxt_ms:9.1f} ms   ours / loadtxt = {ours_ms / loadtxt_ms:.3f}")
    print(f"{'elapsed: ours, numpy.loadtxt':40} {ours_wall:9.1f} ms   {loadtxt_wall:.1f} ms, ours / loadtxt = {ours_wall / loadtxt_wall:.3f}")
    print(f"{'C++ LoadBVHFromFile (BM_Vtrl3ds median)':40} {cpp:9.1f} ms   ours / C++ = {ours_ms / cpp:.2f}")


if __name__ == "__main__":
    main()
