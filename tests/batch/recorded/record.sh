#!/usr/bin/env bash
# Re-records the outputs tests/batch/recorded_outputs_test.cpp compares with,
# from the korvel-batch of a build directory (korvel_tests, korvel-batch and
# korvel-make-survey built in it):
#   tests/batch/recorded/record.sh BUILD_DIR
# Only for a deliberate change of output: review `git diff` afterwards.
set -euo pipefail
build=${1:?usage: record.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
rm -f "$here"/*.txt
KORVEL_RECORD=1 "$build/tests/korvel_tests" --gtest_filter='Recorded/RecordedOutputs.*'
# A second run compares what was just written, so that an output that is not
# the same from run to run shows at once.
"$build/tests/korvel_tests" --gtest_filter='Recorded/RecordedOutputs.*'
