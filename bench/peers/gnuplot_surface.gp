# The surface in a plotting program's pm3d mode: the 173 x 173 grid of
# 10 sin(x) sin(y) over -10..10 as one solid surface (depth-ordered quads,
# lit: primary light and specular), axes, key and colour box off, written
# as a 640 x 640 PNG through the libgd terminal.
#
# Prints BENCH lines on standard output:
#   gnuplot_first_frame   from the first line of this script to the first
#                         PNG written and closed
#   gnuplot_frame         the view turned by 2 degrees, the PNG written again
#
# Usage: gnuplot -e "frames=N" gnuplot_surface.gp   (frames=0: first image
# only, for timing the whole process from outside)
if (!exists("frames")) frames = 20
if (!exists("out")) out = "gnuplot.png"
t0 = time(0.0)

set terminal png size 640,640
unset key
unset colorbox
unset border
unset tics
set xrange [-10:10]
set yrange [-10:10]
set samples 173, 173
set isosamples 173, 173
set view 45, 0
set pm3d depthorder lighting primary 0.5 specular 0.6
set output out
splot 10*sin(x)*sin(y) with pm3d fillcolor rgb "#8099cc"
set output

first = (time(0.0) - t0) * 1000.0
set print "-"
print sprintf("BENCH gnuplot_first_frame %.5f %.5f %.5f 1", first, first, first)

if (frames > 0) {
    array ms[frames]
    do for [i = 1:frames] {
        t = time(0.0)
        set view 45, (360 - 2 * i) % 360
        set output out
        replot
        set output
        ms[i] = (time(0.0) - t) * 1000.0
    }
    set autoscale xy  # the plot's ranges would filter the timings
    stats ms using 2 nooutput
    print sprintf("BENCH gnuplot_frame %.5f %.5f %.5f %d", STATS_median, STATS_min, STATS_max, frames)
}
