#!/bin/bash
# Configures and builds, with the tests and benchmarks:
#   build/      the shipped 32-bit Quillomar.exe and qmsag.dll (build/bin)
#   build/x64/  the same sources as 64-bit binaries (build/x64/bin), which
#               run the tests on machines that cannot run 32-bit code
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
configure() {
    cmake -S "$top" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$2.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
}
configure "$top/build" mingw-i686
configure "$top/build/x64" mingw-x86_64
cmake --build "$top/build" -j"$(nproc)"
cmake --build "$top/build/x64" -j"$(nproc)"
