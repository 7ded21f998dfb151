#!/usr/bin/python3
"""The surface in a plotting library's 3D axes: the 173 x 173 grid of
10 sin(x) sin(y) over -10..10 as one shaded surface (every grid cell a
polygon, light source shading, no edges), axes hidden, drawn by the Agg
raster back end into a 640 x 640 figure.

Prints BENCH lines:
  mpl_import       the library imported, back end chosen
  mpl_first_frame  after the import: figure, surface, first image drawn
  mpl_frame        the view turned by 2 degrees, the figure drawn again

Usage: mpl_surface.py [frames=N] [dump=1]   (dump writes mpl.png)
"""
import sys
import time

START = time.perf_counter()

import matplotlib  # noqa: E402
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

from bench_common import arg_int, report  # noqa: E402

IMPORTED = time.perf_counter()
COUNT = 173


def main(argv):
    frames = arg_int(argv, "frames", 3)
    figure = plt.figure(figsize=(6.4, 6.4), dpi=100)
    axes = figure.add_subplot(projection="3d")
    axis = np.linspace(-10.0, 10.0, COUNT)
    x, y = np.meshgrid(axis, axis)
    z = 10.0 * np.sin(x) * np.sin(y)
    axes.plot_surface(x, y, z, rstride=1, cstride=1, color=(0.5, 0.6, 0.8),
                      shade=True, linewidth=0, antialiased=False)
    axes.set_axis_off()
    azimuth = 0.0
    axes.view_init(elev=45.0, azim=azimuth)
    figure.canvas.draw()
    first = time.perf_counter()
    report("mpl_import", [(IMPORTED - START) * 1000.0])
    report("mpl_first_frame", [(first - IMPORTED) * 1000.0])
    if arg_int(argv, "dump", 0):
        figure.savefig("mpl.png")
    times = []
    for _ in range(frames):
        azimuth -= 2.0
        t = time.perf_counter()
        axes.view_init(elev=45.0, azim=azimuth)
        figure.canvas.draw()
        times.append((time.perf_counter() - t) * 1000.0)
    if times:
        report("mpl_frame", times)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
