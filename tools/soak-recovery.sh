#!/usr/bin/env bash
# On demand, not part of the test command: kills an editor session at random moments, hundreds of times,
# and checks each time that the next start restores the book as it was after the last command that
# returned (or the one the kill cut short), reads its journal, and never wrote the book file.
# Usage: tools/soak-recovery.sh [KILLS]      (200 by default)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

qor_install_missing
qor_step "build" qor_build tests
QOR_RECOVERY_KILLS="${1:-200}" QOR_RECOVERY_MAX_MS=800 QT_QPA_PLATFORM=offscreen \
  qor_step "kills" "$QOR_ROOT/build-tests/tests/recovery/recovery_tests"
