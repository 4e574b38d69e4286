#!/usr/bin/python3
"""Runs the benchmarks behind the performance goals once and prints one table: the work, our time,
the peer's or the floor's time, the ratio and the goal, each figure the median of its benchmark in
this run (ratios only mean something within one run). Single-thread work is timed by the CPU time
of its thread, which other programs running at the same time disturb far less than the clock;
the viewer's rows by the clock, since the GL driver draws in threads of its own, and so are the
glTF export's, which makes its meshes on every core (its peer and floor by the clock too); a
peer run as a process of its own otherwise by that process's CPU time (its benchmark's counter
child_cpu_ms). On an idle machine the two agree for single-thread work. The load average is
printed before and after.

Usage: bench-table.py BUILDDIR [--json OUT]   (OUT keeps every benchmark's raw figures)
"""
import json
import os
import subprocess
import sys
import tempfile

# Executable, benchmarks it runs, whether it needs an X display. Executables in CLOCK (and those
# needing a display) are timed by the clock.
CLOCK = {"bench_gltf"}
RUNS = [
    ("bench_load3ds", ["BM_ReadFileFloor", "BM_Vtrl3ds", "BM_Lib3ds"], False),
    ("bench_skin", ["BM_CopyVerticesFloor", "BM_PoseAndSkin"], False),
    ("bench_view", ["BM_ViewerFrame", "BM_VertexArrayFloor", "BM_StartToFirstFrame", "BM_LibraryFirstFrame"], True),
    ("bench_tga_load", ["BM_Ours_Raw24", "BM_Stb_Raw24", "BM_Ours_Rle24", "BM_Stb_Rle24", "BM_Ours_Rle32",
                        "BM_Stb_Rle32"], False),
    ("bench_load_bvh", ["BM_SplitParseFloor", "BM_Vtrl3ds", "BM_Assimp"], False),
    ("bench_load_ms3d", ["BM_SplitParseFloor", "BM_Vtrl3ds"], False),
    ("bench_imagebutton", ["BM_BitmapToRegion_ManyRuns"], False),
    ("bench_gltf", ["BM_Convert_Ours", "BM_Floor_LoadAndWriteSameBytes", "BM_Convert_AssimpExport"], False),
]

# Work, our benchmark, the other one, how the ratio is taken, the goal. "slower" rows give the
# other's time over ours (at least the goal); "times" rows ours over the other's (at most the goal).
# Rows of bench_view and bench_gltf are timed by the clock, the others by CPU time.
ROWS = [
    ("3DS load, 995k triangles, all passes, vs lib3ds", "bench_load3ds:BM_Vtrl3ds",
     "bench_load3ds:BM_Lib3ds", "slower", 10.0),
    ("3DS load vs reading the file", "bench_load3ds:BM_Vtrl3ds", "bench_load3ds:BM_ReadFileFloor", "times", 3.0),
    ("Posing and skinning, 503k vertices, vs copying them", "bench_skin:BM_PoseAndSkin",
     "bench_skin:BM_CopyVerticesFloor", "times", 3.0),
    ("Viewer frame, 995k triangles, vs plain vertex arrays", "bench_view:BM_ViewerFrame",
     "bench_view:BM_VertexArrayFloor", "times", 1.0),
    ("Viewer start to first frame vs drawing it immediately", "bench_view:BM_StartToFirstFrame",
     "bench_view:BM_LibraryFirstFrame", "times", 1.0),
    ("TGA 4096² raw 24-bit vs stb_image", "bench_tga_load:BM_Ours_Raw24", "bench_tga_load:BM_Stb_Raw24",
     "slower", 1.5),
    ("TGA 4096² RLE 24-bit vs stb_image", "bench_tga_load:BM_Ours_Rle24", "bench_tga_load:BM_Stb_Rle24",
     "slower", 3.0),
    ("TGA 4096² RLE 32-bit vs stb_image", "bench_tga_load:BM_Ours_Rle32", "bench_tga_load:BM_Stb_Rle32",
     "slower", 3.0),
    ("BVH 15 MB vs assimp", "bench_load_bvh:BM_Vtrl3ds", "bench_load_bvh:BM_Assimp", "slower", 5.0),
    ("BVH 15 MB vs splitting and parsing its numbers", "bench_load_bvh:BM_Vtrl3ds",
     "bench_load_bvh:BM_SplitParseFloor", "times", 1.5),
    ("MilkShape ASCII 79 MB vs splitting and parsing its numbers", "bench_load_ms3d:BM_Vtrl3ds",
     "bench_load_ms3d:BM_SplitParseFloor", "times", 1.5),
    ("3DS to .glb, 995k triangles, vs assimp export", "bench_gltf:BM_Convert_Ours",
     "bench_gltf:BM_Convert_AssimpExport", "slower", 10.0),
    ("3DS to .glb vs our load and writing as many bytes", "bench_gltf:BM_Convert_Ours",
     "bench_gltf:BM_Floor_LoadAndWriteSameBytes", "times", 2.0),
    ("BitmapToRegion, 160k runs", "bench_imagebutton:BM_BitmapToRegion_ManyRuns", None, None, None),
]

UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def run(build, exe, names, display):
    """Median time in ms (real time with a display or for CLOCK, CPU time otherwise) of each named
    benchmark of one executable, and the raw JSON."""
    clock = display or exe in CLOCK
    path = os.path.join(build, "bench", exe)
    pattern = "^(" + "|".join(names) + ")(/|$)"
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        cmd = [path, "--benchmark_filter=" + pattern, "--benchmark_out=" + out.name, "--benchmark_out_format=json"]
        if display:
            cmd = [os.path.join(os.path.dirname(os.path.abspath(__file__)), "with-display.sh")] + cmd
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
        data = json.load(open(out.name))
    times = {}
    for b in data["benchmarks"]:
        name = b["name"].split("/")[0]
        single = b.get("run_type") == "iteration" and name not in times
        if b.get("aggregate_name") == "median" or single:
            times[name] = b["real_time" if clock else "cpu_time"] * UNIT_MS[b["time_unit"]]
            if "child_cpu_ms" in b and not clock:
                times[name] = b["child_cpu_ms"]
    return times, data


def load_average():
    return open("/proc/loadavg").read().split()[0]


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = sys.argv[1]
    keep = sys.argv[sys.argv.index("--json") + 1] if "--json" in sys.argv else None
    before = load_average()
    times, raw = {}, {}
    for exe, names, display in RUNS:
        print("running", exe, file=sys.stderr, flush=True)
        figures, raw[exe] = run(build, exe, names, display)
        times.update({exe + ":" + n: t for n, t in figures.items()})
    after = load_average()
    if keep:
        json.dump(raw, open(keep, "w"), indent=1)
    print(f"load average (1 minute) before: {before}, after: {after}; {os.cpu_count()} cores; "
          "times: CPU time of the benchmark's thread, the viewer's and the glTF export's by the clock\n")
    print("| Work | Ours (ms) | Peer or floor (ms) | Ratio | Goal | Met |")
    print("|---|---:|---:|---:|---|---|")
    for work, ours, other, kind, goal in ROWS:
        mine = times.get(ours)
        theirs = times.get(other) if other else None
        if mine is None or (other and theirs is None):
            print(f"| {work} | missing | | | | |")
            continue
        if kind is None:
            print(f"| {work} | {mine:.3g} | | | | |")
            continue
        ratio = theirs / mine if kind == "slower" else mine / theirs
        met = ratio >= goal if kind == "slower" else ratio <= goal
        wanted = f"≥ {goal:g}× slower" if kind == "slower" else f"≤ {goal:g}×"
        shown = f"{ratio:.2f}× slower" if kind == "slower" else f"{ratio:.2f}×"
        print(f"| {work} | {mine:.3g} | {theirs:.3g} | {shown} | {wanted} | {'yes' if met else 'no'} |")


if __name__ == "__main__":
    main()
