#!/usr/bin/env bash
# Runs every fuzz target of the fuzz build BUILD for SECONDS seconds over its
# seeds (fuzz/corpus/<name>) and the inputs earlier runs found
# (BUILD/corpus/<name>). A crash, a broken invariant, a leak or an input that
# runs longer than 120 seconds stops the run with a failure; the input is
# left in BUILD/crashes/<name>/. (One datagram may take tens of seconds in
# this build: every command of a bundle repaints the tree pane.)
#
#   scripts/run-fuzz.sh BUILD SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: run-fuzz.sh BUILD SECONDS}
seconds=${2:?usage: run-fuzz.sh BUILD SECONDS}

for name in osc_listener osc_script; do
  mkdir -p "$build/corpus/$name" "$build/crashes/$name"
  echo "fuzz_$name: $seconds s over fuzz/corpus/$name"
  # The listener's lines on standard output go to /dev/null.
  # intercept_tls_get_addr=0 as in make test-asan (see the Makefile).
  LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0:intercept_tls_get_addr=0 \
    "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -max_len=65507 -timeout=120 \
    -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$build/crashes/$name/" \
    "$build/corpus/$name" "fuzz/corpus/$name"
done
