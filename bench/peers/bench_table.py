#!/usr/bin/python3
"""Builds the benchmark's one table from the lines that scripts/bench
collected over its rounds.

Input lines (one file), each prefixed by the round that printed it:
  <round> <variant> BENCH <name> <median_ms> <min_ms> <max_ms> <n>
  <round> <variant> SAMPLE <name> <ms>          (one timing, e.g. a whole process)
  <round> <variant> MEM <name> <bytes>
  <round> <variant> NOTE <text>
<variant> is "-" for the default set-up, or "nocsmt" for the programs run with
Wine's command-stream thread set the other way than the prefix has it; a
variant's figures get the tag appended to their names.

Across rounds a figure's median is the median of its round medians, its min
the smallest min, its max the largest max, its n the sum of counts.

Usage: bench_table.py RESULTS [HEADER_FILE]   (markdown on standard output)
"""
import statistics
import sys

# Zorvel's figures: the letter of the goal (a to f), the label, the figure, what it is
# compared with, and the goal: (text, function of the figures -> True/False,
# or None when a figure is missing).
PEER_FRAMES = ["vtk_frame", "gnuplot_frame", "mpl_frame"]
PEER_FIRST = ["vtk_first_frame", "gnuplot_first_frame", "mpl_first_frame"]

LABELS = {
    "raw_gl_frame": "raw GL",
    "raw_gl_frame_pipelined": "raw GL",
    "raw_gl_first_frame": "raw GL",
    "wgl_frame": "WGL/Wine",
    "wgl_frame_pipelined": "WGL/Wine",
    "wgl_first_frame": "WGL/Wine",
    "vtk_frame": "VTK",
    "vtk_first_frame": "VTK",
    "gnuplot_frame": "gnuplot",
    "gnuplot_first_frame": "gnuplot",
    "mpl_frame": "matplotlib",
    "mpl_first_frame": "matplotlib",
    "ref_mesh_per_vertex": "C loop",
    "ref_mesh_shared_normals": "C loop, shared normals",
    "ref_mesh_per_vertex_wine": "C loop/Wine",
    "ref_mesh_shared_normals_wine": "C loop/Wine, shared normals",
    "ref_lua_calls": "Lua loop",
    "ref_lua_calls_wine": "Lua loop/Wine",
    "ref_lua_loop": "Lua loop without calls",
    "ref_lua_empty": "Lua empty chunk",
    "ref_lua_empty_wine": "Lua empty chunk/Wine",
    "raw_gl_process": "raw GL",
    "vtk_process": "VTK",
    "gnuplot_process": "gnuplot",
    "mpl_process": "matplotlib",
    "zorvel_process": "Zorvel (Wine)",
    "zorvel_setdata_invoke_grid": "29,929 late-bound SetData",
    "d3d8_frame": "D3D8 yardstick",
    "d3d8_frame_pipelined": "D3D8 yardstick",
    "d3d8_cold_main_to_frame": "D3D8 yardstick",
    "d3d8_cold_device_to_frame": "D3D8 yardstick",
}
# The cold start's steps, each against the yardstick's same step.
STEPS = ["entry_object", "window", "device", "grid", "buffer", "strip", "first_frame"]
LABELS.update({"d3d8_step_" + step: "yardstick" for step in STEPS})


def ratio_le(name, baseline, limit):
    def check(fig):
        if name not in fig or baseline not in fig:
            return None
        return fig[name][0] <= limit * fig[baseline][0]
    return check


def frame_goal(fig):
    if "zorvel_frame" not in fig or "raw_gl_frame" not in fig:
        return None
    own = fig["zorvel_frame"][0]
    peers = [fig[p][0] for p in PEER_FRAMES if p in fig]
    return own <= 1.15 * fig["raw_gl_frame"][0] and all(own < p for p in peers)


def first_image_goal(fig):
    peers = [fig[p][0] for p in PEER_FIRST if p in fig]
    if "zorvel_script_to_frame" not in fig or not peers:
        return None
    return fig["zorvel_script_to_frame"][0] < 0.5 * min(peers)


def absolute_below(name, limit_ms):
    def check(fig):
        return None if name not in fig else fig[name][0] < limit_ms
    return check


ROWS = [
    ("a", "rotation frame: tick (RenderScene + PresentFrame), waited for", "zorvel_frame",
     ["raw_gl_frame", "wgl_frame", "d3d8_frame"] + PEER_FRAMES,
     "<= 1.15x raw GL and < every peer", frame_goal),
    ("", "rotation frames back to back, per frame", "zorvel_frame_pipelined",
     ["raw_gl_frame_pipelined", "wgl_frame_pipelined", "d3d8_frame_pipelined"], "", None),
    ("h", "rotation frame against the Direct3D 8 yardstick", "zorvel_frame", ["d3d8_frame"],
     "<= 1.1x yardstick", ratio_le("zorvel_frame", "d3d8_frame", 1.1)),
    ("b", "RunScript(sample) to its frame on screen", "zorvel_script_to_frame",
     PEER_FIRST + ["raw_gl_first_frame", "wgl_first_frame"],
     "< 0.5x fastest peer's first image", first_image_goal),
    ("", "  of which Refresh (rebuild, frame, waited for)", "zorvel_refresh", [], "", None),
    ("i", "cold: control created, window, first paint", "zorvel_cold_first_paint",
     ["d3d8_cold_main_to_frame", "raw_gl_first_frame", "wgl_first_frame"], "<= 1.2x yardstick",
     ratio_le("zorvel_cold_first_paint", "d3d8_cold_main_to_frame", 1.2)),
    ("", "  device created to first frame on screen", "zorvel_cold_device_to_frame",
     ["d3d8_cold_device_to_frame"], "", None),
] + [("", "  step: " + step.replace("_", " "), "zorvel_step_" + step, ["d3d8_step_" + step], "", None)
     for step in STEPS] + [
    ("", "cold: main() to the sample's frame", "zorvel_cold_main_to_frame",
     ["raw_gl_first_frame", "wgl_first_frame"] + PEER_FIRST, "", None),
    ("", "whole process to the sample's frame (Wine start included)", "zorvel_process",
     ["raw_gl_process", "vtk_process", "gnuplot_process", "mpl_process"], "", None),
    ("c", "RebuildMesh 173 x 173 (grid reset + strip into the buffer)", "zorvel_rebuild_mesh",
     ["ref_mesh_per_vertex", "ref_mesh_shared_normals", "ref_mesh_per_vertex_wine",
      "ref_mesh_shared_normals_wine"],
     "<= 1.2x C loop/Wine", ratio_le("zorvel_rebuild_mesh", "ref_mesh_per_vertex_wine", 1.2)),
    ("", "  BuildVertices (Refresh's rebuild: lock, strip, unlock)", "zorvel_build_vertices",
     ["ref_mesh_per_vertex", "ref_mesh_per_vertex_wine"], "", None),
    ("", "  BuildStrip into plain memory (CPU part alone)", "zorvel_build_strip_memory",
     ["ref_mesh_per_vertex", "ref_mesh_shared_normals", "ref_mesh_shared_normals_wine"], "",
     None),
    ("d", "sample script alone (control never drawn)", "zorvel_sample_script",
     ["ref_lua_calls", "ref_lua_calls_wine", "ref_lua_loop"],
     "<= 1.2x Lua loop/Wine", ratio_le("zorvel_sample_script", "ref_lua_calls_wine", 1.2)),
    ("e", "10,000 SetData through IDispatch::Invoke", "zorvel_setdata_invoke_10k", [],
     "< 0.5 us a call (< 5 ms)", absolute_below("zorvel_setdata_invoke_10k", 5.0)),
    ("", "  the same 10,000 through the vtable", "zorvel_setdata_vtable_10k", [], "", None),
    ("", "a 173 x 173 grid through one late-bound SetGrid", "zorvel_setgrid_invoke",
     ["zorvel_setdata_invoke_grid"], "", None),
    ("f", "RunScript of an empty script", "zorvel_empty_script",
     ["ref_lua_empty", "ref_lua_empty_wine"], "< 1 ms",
     absolute_below("zorvel_empty_script", 1.0)),
    ("", "fence: one-pixel read-back with nothing queued", "zorvel_fence_alone", [], "", None),
]

# Peers and references listed under the control's rows.
OTHER_ROWS = [
    ("raw_gl_frame", "raw OpenGL (GLX, native 64-bit): frame + glFinish"),
    ("raw_gl_frame_pipelined", "raw OpenGL: frames back to back, per frame"),
    ("raw_gl_first_frame", "raw OpenGL: main() to first frame"),
    ("raw_gl_process", "raw OpenGL: whole process to first frame"),
    ("wgl_frame", "raw OpenGL via WGL under Wine (32-bit, child window): frame + glFinish"),
    ("wgl_frame_pipelined", "raw OpenGL via WGL under Wine: back to back, per frame"),
    ("wgl_first_frame", "raw OpenGL via WGL under Wine: main() to first frame"),
    ("vtk_frame", "VTK offscreen, no multisampling: frame"),
    ("vtk_import", "VTK: import"),
    ("vtk_first_frame", "VTK: first frame after import"),
    ("vtk_process", "VTK: whole process to first frame"),
    ("gnuplot_frame", "gnuplot pm3d PNG (libgd): frame inside gnuplot"),
    ("gnuplot_first_frame", "gnuplot: first image inside gnuplot"),
    ("gnuplot_process", "gnuplot: whole process to first image"),
    ("mpl_frame", "matplotlib plot_surface (Agg): frame"),
    ("mpl_import", "matplotlib: import"),
    ("mpl_first_frame", "matplotlib: first image after import"),
    ("mpl_process", "matplotlib: whole process to first image"),
    ("ref_mesh_per_vertex", "C loop: 59,512 vertices, normal per vertex (native)"),
    ("ref_mesh_shared_normals", "C loop: 29,929 normals once, copied (native)"),
    ("ref_mesh_per_vertex_wine", "C loop: normal per vertex (MinGW, Wine)"),
    ("ref_mesh_shared_normals_wine", "C loop: normals once (MinGW, Wine)"),
    ("ref_lua_calls", "Lua 5.1: sample script, 30,276 calls into C (native)"),
    ("ref_lua_loop", "Lua 5.1: the same loop and sines, no calls (native)"),
    ("ref_lua_calls_wine", "Lua 5.1: sample script, 30,276 calls (MinGW, Wine)"),
    ("ref_lua_loop_wine", "Lua 5.1: loop and sines, no calls (MinGW, Wine)"),
    ("ref_lua_empty", "Lua 5.1: empty chunk (native)"),
    ("d3d8_frame", "Direct3D 8 yardstick under Wine (32-bit, child window): frame, waited for"),
    ("d3d8_frame_pipelined", "Direct3D 8 yardstick: frames back to back, per frame"),
    ("d3d8_cold_main_to_frame", "Direct3D 8 yardstick: main() to first frame on screen"),
    ("d3d8_cold_device_to_frame", "Direct3D 8 yardstick: device created to first frame"),
    ("d3d8_step_states", "Direct3D 8 yardstick: step: states (the control sets them with the device)"),
]

MEMORY_ROWS = [
    ("zorvel_mem_one_control_peak_working_set", "zorvel_mem_base_peak_working_set",
     "peak working set"),
    ("zorvel_mem_one_control_peak_pagefile", "zorvel_mem_base_peak_pagefile",
     "peak pagefile usage"),
]


def read(path):
    rounds = {}
    samples = {}
    memory = {}
    notes = []
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) < 3:
                continue
            variant, kind, rest = parts[1], parts[2], parts[3:]
            suffix = "" if variant == "-" else "_" + variant
            if kind == "BENCH" and len(rest) == 5:
                name = rest[0] + suffix
                med, low, high, n = float(rest[1]), float(rest[2]), float(rest[3]), int(rest[4])
                rounds.setdefault(name, []).append((med, low, high, n))
            elif kind == "SAMPLE" and len(rest) == 2:
                samples.setdefault(rest[0] + suffix, []).append(float(rest[1]))
            elif kind == "MEM" and len(rest) == 2:
                memory.setdefault(rest[0] + suffix, []).append(float(rest[1]))
            elif kind == "NOTE":
                text = " ".join(rest)
                if text not in notes:
                    notes.append(text)
    figures = {}
    for name, per_round in rounds.items():
        figures[name] = (statistics.median(r[0] for r in per_round),
                         min(r[1] for r in per_round), max(r[2] for r in per_round),
                         sum(r[3] for r in per_round))
    for name, values in samples.items():
        figures[name] = (statistics.median(values), min(values), max(values), len(values))
    return figures, memory, notes


def ms(value):
    if value >= 100:
        return "%.0f" % value
    if value >= 10:
        return "%.1f" % value
    if value >= 1:
        return "%.2f" % value
    if value >= 0.01:
        return "%.3f" % value
    return "%.5f" % value


def comparisons(fig, name, others):
    """Ratio of medians, and in brackets the ratio of the minimums, which a
    busy machine disturbs least."""
    own_median, own_min = fig[name][0], fig[name][1]
    cells = []
    for other in others:
        if other in fig and fig[other][0] > 0 and fig[other][1] > 0:
            cells.append("%s %s: %.2fx (min %.2fx)" % (
                LABELS.get(other, other), ms(fig[other][0]), own_median / fig[other][0],
                own_min / fig[other][1]))
    return "; ".join(cells)


def verdict(check, fig):
    if check is None:
        return ""
    result = check(fig)
    return "n/a" if result is None else ("yes" if result else "**no**")


def table(fig, memory, notes):
    out = ["| | figure | median ms | min | max | n | other CSMT | compared with (ratio of medians) "
           "| goal | met |",
           "|---|---|---|---|---|---|---|---|---|---|"]
    for letter, label, name, others, goal, check in ROWS:
        if name not in fig:
            out.append("| %s | %s | missing | | | | | | %s | n/a |" % (letter, label, goal))
            continue
        med, low, high, n = fig[name]
        off = fig.get(name + "_nocsmt")
        extra = ""
        if name == "zorvel_setdata_invoke_10k":
            extra = " (%.3f us a call)" % (med * 1000.0 / 10000)
        out.append("| %s | %s | %s%s | %s | %s | %d | %s | %s | %s | %s |" % (
            letter, label, ms(med), extra, ms(low), ms(high), n, ms(off[0]) if off else "",
            comparisons(fig, name, others), goal, verdict(check, fig)))
    for current, base, label in MEMORY_ROWS:
        if current not in memory:
            continue
        peak = statistics.median(memory[current]) / 2**20
        cells = []
        if base in memory:
            cells.append("%.1f MiB over the process before the control" % (
                peak - statistics.median(memory[base]) / 2**20))
        if "working" in label:
            rss = ["%s %.0f MiB" % (LABELS.get(p, p), statistics.median(memory[p + "_maxrss"]) / 2**20)
                   for p in ("zorvel_process", "raw_gl_process", "vtk_process", "gnuplot_process",
                             "mpl_process") if p + "_maxrss" in memory]
            if rss:
                cells.append("peak RSS to first image: " + ", ".join(rss))
        out.append("| g | %s, one control at 173 x 173 | %.1f MiB | | | %d | | %s | | |" % (
            label, peak, len(memory[current]), "; ".join(cells)))
    for name, label in OTHER_ROWS:
        if name in fig:
            med, low, high, n = fig[name]
            off = fig.get(name + "_nocsmt")
            out.append("| | %s | %s | %s | %s | %d | %s | | | |" % (
                label, ms(med), ms(low), ms(high), n, ms(off[0]) if off else ""))
    if notes:
        out.append("")
        out.extend("Note: " + n for n in notes)
    return "\n".join(out)


def main(argv):
    fig, memory, notes = read(argv[1])
    if len(argv) > 2:
        with open(argv[2]) as f:
            sys.stdout.write(f.read())
    print(table(fig, memory, notes))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
