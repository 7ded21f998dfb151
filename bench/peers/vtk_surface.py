#!/usr/bin/python3
"""The surface in a general visualisation toolkit: the 173 x 173 grid of
10 sin(x) sin(y) over -10..10 as one lit polygonal surface with point
normals, one directional light straight down, drawn off screen into a
640 x 640 window without multisampling on the same X server and driver.

Prints BENCH lines:
  vtk_import       the toolkit's modules imported
  vtk_first_frame  after the imports: data, pipeline, window, first frame
                   finished
  vtk_frame        the camera turned by 2 degrees, one frame, finished

Usage: vtk_surface.py [frames=N] [dump=1]   (dump writes vtk.png)
"""
import sys
import time

START = time.perf_counter()

import numpy as np  # noqa: E402
from vtkmodules.util.numpy_support import numpy_to_vtk  # noqa: E402
from vtkmodules.vtkCommonCore import vtkPoints  # noqa: E402
from vtkmodules.vtkCommonDataModel import vtkStructuredGrid  # noqa: E402
from vtkmodules.vtkFiltersCore import vtkPolyDataNormals  # noqa: E402
from vtkmodules.vtkFiltersGeometry import vtkStructuredGridGeometryFilter  # noqa: E402
from vtkmodules.vtkRenderingCore import (  # noqa: E402
    vtkActor, vtkLight, vtkPolyDataMapper, vtkRenderer, vtkRenderWindow)
import vtkmodules.vtkRenderingOpenGL2  # noqa: E402,F401  (the OpenGL back end)

from bench_common import arg_int, report  # noqa: E402

IMPORTED = time.perf_counter()
COUNT = 173
SIZE = 640


def build_window():
    axis = np.linspace(-10.0, 10.0, COUNT)
    x, y = np.meshgrid(axis, axis)
    z = 10.0 * np.sin(x) * np.sin(y)
    xyz = np.column_stack([x.ravel(), y.ravel(), z.ravel()]).astype(np.float32)
    points = vtkPoints()
    points.SetData(numpy_to_vtk(xyz, deep=True))
    grid = vtkStructuredGrid()
    grid.SetDimensions(COUNT, COUNT, 1)
    grid.SetPoints(points)

    surface = vtkStructuredGridGeometryFilter()
    surface.SetInputData(grid)
    normals = vtkPolyDataNormals()
    normals.SetInputConnection(surface.GetOutputPort())
    normals.SplittingOff()
    normals.ConsistencyOff()
    mapper = vtkPolyDataMapper()
    mapper.SetInputConnection(normals.GetOutputPort())
    mapper.ScalarVisibilityOff()

    actor = vtkActor()
    actor.SetMapper(mapper)
    prop = actor.GetProperty()
    prop.SetColor(0.5, 0.5, 0.5)
    prop.SetDiffuse(1.0)
    prop.SetAmbient(0.3)
    prop.SetAmbientColor(0.18, 0.30, 0.41)
    prop.SetSpecular(0.69)
    prop.SetSpecularColor(0.0, 0.0, 1.0)
    prop.SetSpecularPower(0.5)

    renderer = vtkRenderer()
    renderer.AutomaticLightCreationOff()
    light = vtkLight()
    light.SetLightTypeToSceneLight()
    light.SetPositional(False)
    light.SetPosition(0.0, 0.0, 1.0)
    light.SetFocalPoint(0.0, 0.0, 0.0)
    renderer.AddLight(light)
    renderer.AddActor(actor)
    renderer.SetBackground(0.0, 0.0, 0.0)

    camera = renderer.GetActiveCamera()
    camera.SetViewAngle(45.0)
    camera.SetPosition(35.355339, 0.0, 35.355339)
    camera.SetFocalPoint(0.0, 0.0, 0.0)
    camera.SetViewUp(0.0, 0.0, 1.0)
    camera.SetClippingRange(1.0, 100.0)

    window = vtkRenderWindow()
    window.SetOffScreenRendering(1)
    window.SetMultiSamples(0)
    window.SetSize(SIZE, SIZE)
    window.AddRenderer(renderer)
    return window, camera


def frame(window, camera):
    camera.Azimuth(2.0)
    window.Render()
    window.WaitForCompletion()


def main(argv):
    frames = arg_int(argv, "frames", 30)
    window, camera = build_window()
    window.Render()
    window.WaitForCompletion()
    first = time.perf_counter()
    report("vtk_import", [(IMPORTED - START) * 1000.0])
    report("vtk_first_frame", [(first - IMPORTED) * 1000.0])
    if arg_int(argv, "dump", 0):
        from vtkmodules.vtkIOImage import vtkPNGWriter
        from vtkmodules.vtkRenderingCore import vtkWindowToImageFilter
        grab = vtkWindowToImageFilter()
        grab.SetInput(window)
        writer = vtkPNGWriter()
        writer.SetFileName("vtk.png")
        writer.SetInputConnection(grab.GetOutputPort())
        writer.Write()
    for _ in range(3):
        frame(window, camera)
    times = []
    for _ in range(frames):
        t = time.perf_counter()
        frame(window, camera)
        times.append((time.perf_counter() - t) * 1000.0)
    if times:
        report("vtk_frame", times)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
