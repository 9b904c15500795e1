#!/usr/bin/env bash
# The checks CI runs after scripts/test.sh, each a stage that fails the run on any finding:
#   asan     the whole suite under AddressSanitizer + UndefinedBehaviorSanitizer, leaks checked
#   longrun  a replay of TARNWICK_LONG_RUN_MINUTES (default 60) minutes of games by the
#            sanitizer build of the program: no leak, no growth of its resident memory
#   tsan     the tests of everything that runs threads, under ThreadSanitizer
#   fuzz     every fuzz target for TARNWICK_FUZZ_SECONDS (default 20) from its seed corpus
# TARNWICK_CI_SKIP="longrun fuzz" skips stages for a quick run by hand; CI runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

skip=" ${TARNWICK_CI_SKIP:-} "
ccache_flags=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
summary=()

# Runs one stage by name unless skipped, and notes how long it took.
stage() {
  local name=$1
  shift
  if [[ "$skip" == *" $name "* ]]; then
    summary+=("$name: skipped")
    return
  fi
  echo "=== $name ==="
  local start=$SECONDS
  "$@"
  summary+=("$name: $((SECONDS - start)) s")
  echo "=== $name: passed in $((SECONDS - start)) s ==="
}

# The sanitizers stop at the first finding, and a leak is a finding.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# What system libraries keep until the process ends is not ours to free.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp"

asan_stage() {
  cmake --preset asan "${ccache_flags[@]}" >/dev/null
  nice cmake --build --preset asan
  ctest --preset asan
}

longrun_stage() {
  [[ -f build-asan/build.ninja ]] || cmake --preset asan "${ccache_flags[@]}" >/dev/null
  [[ -f build/build.ninja ]] || cmake --preset default "${ccache_flags[@]}" >/dev/null
  nice cmake --build --preset asan --target tarnwick
  nice cmake --build --preset default --target tests_robustness
  # The optimised build records the games (an hour in about a minute); the sanitizer build
  # replays them. A small quarantine keeps the resident size a measure of live memory.
  ASAN_OPTIONS="$ASAN_OPTIONS:quarantine_size_mb=16" \
    TARNWICK_LONG_RUN_PROGRAM="$PWD/build-asan/bin/tarnwick" \
    TARNWICK_LONG_RUN_MINUTES=${TARNWICK_LONG_RUN_MINUTES:-60} \
    build/bin/tests_robustness --gtest_filter='LongRun.*'
}

# The tests of the loading thread (application and game start), the cursor thread, the music
# feeder, web transfers (tests_net), the crash reporter's waits, the headless clock's threads, the instance
# lock's listener, and whole-program runs. The crash handler's own tests are left to the asan
# stage: ThreadSanitizer takes the fault signals for itself and defers the handler's.
TSAN_TESTS='AppLifecycle|AppResources|AppAudio|ALMusicInterface|HTTPTransfer|CrashReporter|HeadlessPlatform|MainLoop|DemoTest|WindowTest|InstanceLock|GameFlow|GameReplay|GameApp|BrokenData|UnwritableData|KillNine'
TSAN_TARGETS=(tests_app tests_audio tests_platform tests_net tests_game tests_robustness)

tsan_stage() {
  cmake --preset tsan "${ccache_flags[@]}" >/dev/null
  nice cmake --build --preset tsan --target "${TSAN_TARGETS[@]}"
  ctest --preset tsan -R "$TSAN_TESTS"
}

fuzz_stage() {
  cmake --preset fuzz "${ccache_flags[@]}" >/dev/null
  nice cmake --build --preset fuzz
  local seconds=${TARNWICK_FUZZ_SECONDS:-20} failed=()
  for source in fuzz/*.cpp; do
    local name
    name=$(basename "$source" .cpp)
    echo "--- fuzz_$name, $seconds s"
    if ! scripts/fuzz.sh "$name" "$seconds" -print_final_stats=0 >"build-fuzz/fuzz_$name.log" 2>&1; then
      tail -n 60 "build-fuzz/fuzz_$name.log"
      failed+=("$name")
    fi
  done
  if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzz findings in: ${failed[*]} (inputs under build-fuzz/artifacts/)" >&2
    return 1
  fi
}

stage asan asan_stage
stage longrun longrun_stage
stage tsan tsan_stage
stage fuzz fuzz_stage
printf '%s\n' "${summary[@]}"
