#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
# The build uses the Debian package's compiler flags and build type, so the
# tests run the code as it ships and the package build (tools/package.sh)
# finds every object in ccache.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
tools/deps.sh
echo "test: set-up in $((SECONDS - start)) s"
# shellcheck source=tools/ccache-env.sh
. tools/ccache-env.sh
start=$SECONDS
cmake -S . -B build -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="$(package_cxxflags)" -DGEARBOOK_BUILD_BENCH=ON \
    -DGEARBOOK_TEST_CXX_FLAGS="-O1 -g0" -DGEARBOOK_TEST_LINK_FLAGS="-fuse-ld=gold -Wl,--strip-debug" \
    ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER="$CMAKE_CXX_COMPILER_LAUNCHER"}
cmake --build build -j"$(nproc)"
echo "test: built in $((SECONDS - start)) s"
start=$SECONDS
ctest --test-dir build --output-on-failure -j"$(nproc)"
echo "test: tests ran in $((SECONDS - start)) s"
