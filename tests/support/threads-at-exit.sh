#!/usr/bin/env bash
# Runs a test program RUNS times, two at a time, and fails unless every run
# ends with status 0. Under Wine a process that ends while one of its
# threads is still being set up can die of SIGSEGV (status 139) after its
# tests passed; test programs wait for their threads to start before they
# end (tests/support/TestMain.cpp).
#
#   threads-at-exit.sh RUNS COMMAND...
set -uo pipefail
runs=$1; shift
bad=0
for ((i = 0; i < runs; i += 2)); do
  "$@" >/dev/null 2>&1 & first=$!
  "$@" >/dev/null 2>&1 ; second=$?
  wait $first ; first=$?
  for status in $first $second; do
    if [ "$status" -ne 0 ]; then
      echo "a run ended with status $status"
      bad=$((bad + 1))
    fi
  done
done
[ $bad -eq 0 ] || { echo "FAIL: $bad of $runs runs ended with a non-zero status"; exit 1; }
echo "$runs runs ended with status 0"
