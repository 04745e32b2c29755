#!/usr/bin/env bash
# Builds the editor (preset "run", in build/) and starts it. Arguments go to the editor (a book file to open).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

qor_install_missing
qor_build run
exec "$QOR_ROOT/build/app/QorSprav" "$@"
