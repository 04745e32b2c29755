#!/usr/bin/env bash
# On demand, not part of the test command: builds the suites with coverage counters (build-coverage/), runs
# them, and reports the line and branch coverage of the book's layers (files/, core/, document/) on the
# console and as pages in build-coverage/coverage/index.html.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

QOR_PACKAGES+=(gcovr)
qor_install_missing

build="$QOR_ROOT/build-coverage"
qor_step "build with coverage counters" bash -c "
  cd '$QOR_ROOT' &&
  cmake -S . -B '$build' -G Ninja ${QOR_LAUNCHER[*]} -DCMAKE_BUILD_TYPE=Debug -DQOR_BUILD_BENCH=OFF \
        -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage > /dev/null &&
  { cmake --build '$build' -j2 > '$build/build.log' || { tail -40 '$build/build.log'; exit 1; }; }"
find "$build" -name '*.gcda' -delete
qor_step "tests" bash -c "cd '$build' && QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure > /dev/null"

mkdir -p "$build/coverage"
# Branches the compiler adds on its own (exception cleanup) are left out: they are no decision of ours.
(cd "$QOR_ROOT" && gcovr --root . --object-directory "$build" \
   --filter 'files/' --filter 'core/' --filter 'document/' \
   --exclude-throw-branches --exclude-unreachable-branches \
   --txt - --html-details "$build/coverage/index.html" --print-summary)
echo "Pages: $build/coverage/index.html"
