#!/usr/bin/env bash
# The game session (game/) and its files (store/) include no GL, EGL, SDL or window
# header; the controller (control/) no GL, EGL, SDL, window-platform or GL view header;
# the binaries that test them link no EGL or GLES library; the solver (solver/) includes
# nothing of ours outside itself.
# Usage: layering_test.sh SOURCE_DIRECTORY TEST_BINARY...
set -u
src="$1"
shift
status=0
bad=$(grep -nE '#include [<"](GLES|EGL|SDL|X11|emscripten|webgl)|#include "(platform/(View|Touch|TouchDispatcher|Window|AlertView|Button|Painter|GLContext|Platform|Application|Accelerometer|DesktopInput)\.h|platform/(gl|sdl|web|headless)/|view/|overlay/)' \
  "$src"/game/*.h "$src"/game/*.cpp "$src"/store/*.h "$src"/store/*.cpp)
if [ -n "$bad" ]; then
  echo "the session or its files include a GL, window or view header:"
  echo "$bad"
  status=1
fi
bad=$(grep -nE '#include [<"](GLES|EGL|SDL|X11|emscripten|webgl)|#include "(platform/(GLContext|Platform|Application)\.h|platform/(gl|sdl|web|headless)/|view/)' \
  "$src"/control/*.h "$src"/control/*.cpp)
if [ -n "$bad" ]; then
  echo "the controller includes a GL, window-platform or GL view header:"
  echo "$bad"
  status=1
fi
own=$(grep -n '#include "' "$src"/solver/*.h "$src"/solver/*.cpp | grep -v '#include "solver/')
if [ -n "$own" ]; then
  echo "the solver includes from outside itself:"
  echo "$own"
  status=1
fi
for binary in "$@"; do
  libs=$(ldd "$binary" | grep -E 'lib(GLESv1_CM|GLESv2|EGL|GL|SDL2)[.-]')
  if [ -n "$libs" ]; then
    echo "$binary links a graphics library:"
    echo "$libs"
    status=1
  fi
done
[ $status -eq 0 ] && echo "game/, store/ and control/ are free of GL and windows; so are the binaries testing them; solver/ stands alone"
exit $status
