#!/usr/bin/env bash
# Runs every test: sets the machine up and builds the plug-in if needed, then runs the
# whole suite on the release build and again under AddressSanitizer with
# UndefinedBehaviorSanitizer, and the tests of the audio/message thread hand-over
# under ThreadSanitizer. GUI tests run on a private Xvfb display.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

"$repo/scripts/setup.sh"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$repo/tests/sanitizers/lsan.supp:print_suppressions=0"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$repo/tests/sanitizers/tsan.supp"

# build_and_test NAME CTEST_ARGS... -- CMAKE_ARGS...
build_and_test()
{
    local name=$1; shift
    local ctest_args=()
    while [ "$1" != "--" ]; do ctest_args+=("$1"); shift; done
    shift
    local dir="$repo/build/$name"

    echo "== $name: building"
    cmake -S "$repo" -B "$dir" -G Ninja "$@" > /dev/null
    cmake --build "$dir" -j "$jobs"
    echo "== $name: testing"
    xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" \
        ctest --test-dir "$dir" --output-on-failure -j "$jobs" "${ctest_args[@]}"
}

# CMake arguments that build everything, the plug-in included, with the given sanitizers.
sanitized()
{
    local flags="-fsanitize=$1 -fno-omit-frame-pointer"
    sanitizer_args=("-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags"
                    "-DCMAKE_EXE_LINKER_FLAGS=$flags" "-DCMAKE_SHARED_LINKER_FLAGS=$flags"
                    "-DCMAKE_MODULE_LINKER_FLAGS=$flags")
}

build_and_test release -- -DCMAKE_BUILD_TYPE=Release

sanitized address,undefined
build_and_test asan -- -DCMAKE_BUILD_TYPE=Debug "${sanitizer_args[@]}" -DCMAKE_CXX_FLAGS_DEBUG="-g -O1"

sanitized thread
build_and_test tsan -L threads -- -DCMAKE_BUILD_TYPE=RelWithDebInfo "${sanitizer_args[@]}"
