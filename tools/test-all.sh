#!/usr/bin/env bash
# Builds and tests every preset (native with sanitizers, then the 32- and 64-bit Windows builds under Wine),
# then runs the end-to-end scripts in tests/e2e. Exits non-zero if any step fails.
#
#   tools/test-all.sh [STAGE...]     stages: linux win32 win64 e2e (default: all, in that order)
set -uo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
readonly REPO
readonly HARNESS=$REPO/tools/wine-harness.sh
cd "$REPO" || exit
# A hung program under Wine must fail its step, not eat the CI budget. Tests that set their own TIMEOUT keep it.
readonly TEST_TIMEOUT=300 E2E_TIMEOUT=600

stages=("$@")
[[ ${#stages[@]} -gt 0 ]] || stages=(linux win32 win64 e2e)
for stage in "${stages[@]}"; do
    [[ $stage =~ ^(linux|win32|win64|e2e)$ ]] || { echo "test-all: unknown stage '$stage' (linux, win32, win64, e2e)" >&2; exit 2; }
done

summary=()
failed=()
readonly start_all=$EPOCHREALTIME

elapsed_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'; }

# step NAME COMMAND... : runs one step, prints its wall time, records the outcome.
step() {
    local name=$1 t0=$EPOCHREALTIME rc
    shift
    echo "==> $name: $*"
    "$@"
    rc=$?
    local secs
    secs=$(elapsed_since "$t0")
    if [[ $rc -eq 0 ]]; then
        echo "==> $name: ok (${secs} s)"
        summary+=("ok   ${secs}s $name")
    else
        echo "==> $name: FAILED with exit code $rc (${secs} s)"
        summary+=("FAIL ${secs}s $name")
        failed+=("$name")
    fi
    return "$rc"
}

finish() {
    "$HARNESS" down >/dev/null 2>&1 || true
    echo
    echo "==> summary"
    printf '    %s\n' "${summary[@]}"
    local total
    total=$(elapsed_since "$start_all")
    if [[ ${#failed[@]} -eq 0 ]]; then
        echo "test-all: PASSED (${#summary[@]} steps, ${total} s)"
    else
        echo "test-all: FAILED (${#failed[@]} of ${#summary[@]} steps: ${failed[*]}; ${total} s)"
    fi
}
trap finish EXIT
trap "exit 130" INT TERM

run_preset() {
    local preset=$1
    # Prepare Wine before the first Windows test so a fresh prefix is not charged to one test's time.
    if [[ $preset == win* ]]; then
        step "wine up" "$HARNESS" up || return
    fi
    step "$preset configure" cmake --preset "$preset" &&
        step "$preset build" cmake --build --preset "$preset" -j2 &&
        step "$preset test" ctest --preset "$preset" --output-on-failure --timeout "$TEST_TIMEOUT"
}

# The end-to-end scripts drive the built program on the harness's display: the product (build/win32), and the
# 64-bit build as well when this run builds it (about half a minute more).
run_e2e() {
    local script preset
    local -a builds=(win32)
    [[ " ${stages[*]} " == *" win64 "* ]] && builds+=(win64)
    shopt -s nullglob
    for script in tests/e2e/*.sh; do
        for preset in "${builds[@]}"; do
            step "e2e $(basename "$script" .sh) $preset" timeout "$E2E_TIMEOUT" bash "$script" "build/$preset"
        done
    done
}

for stage in "${stages[@]}"; do
    case $stage in
        linux | win32 | win64) run_preset "$stage" ;;
        e2e) run_e2e ;;
    esac
done

[[ ${#failed[@]} -eq 0 ]]
