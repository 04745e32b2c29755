#!/usr/bin/env bash
# Builds the libFuzzer harnesses (preset "fuzz": clang, AddressSanitizer, UndefinedBehaviorSanitizer) and
# runs each over its seed corpus, then on new inputs for SECONDS each (30 by default; the test command uses
# that).
# Usage: tools/fuzz.sh [SECONDS] [HARNESS...]      e.g. tools/fuzz.sh 3600 book settings
# Findings are written to build-fuzz/fuzz/findings/; new inputs collect in build-fuzz/fuzz/corpus/.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds=${1:-30}
shift || true
build_dir="$QOR_ROOT/build-fuzz"

qor_install_missing
qor_build fuzz -DQOR_FUZZ_SECONDS="$seconds"
filter=()
if [ $# -gt 0 ]; then
  filter=(-R "^fuzz_($(IFS='|'; echo "$*"))\$")
fi
status=0
qor_ctest fuzz "${filter[@]}" --timeout $((seconds + 300)) || status=$?
# Executions per harness, from libFuzzer's final statistics.
for log in "$build_dir/Testing/Temporary/LastTest.log"; do
  awk '/^[0-9]+\/[0-9]+ Testing: fuzz_/ { name = $3 } /stat::number_of_executed_units/ { print name ": " $2 " executions" }' "$log"
done
exit $status
