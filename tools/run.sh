#!/usr/bin/env bash
# Builds the editor and starts it. Arguments go to the editor (a book file to open).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

qor_install_missing
qor_build "$QOR_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQOR_BUILD_TESTS=OFF -DQOR_BUILD_BENCH=OFF
exec "$QOR_ROOT/build/app/QorSprav" "$@"
