#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Proves the switch of the real-component tests: a command whose component
# cannot start here must be skipped with the reason when CI is not set, and
# must fail with the reason when CI=true.
#   component-switch.sh [--share-state] REASON COMMAND [ARGS...]
# An argument @STATE@ becomes a state file in a temporary folder of this run;
# with --share-state that file holds "skip=REASON" and COURSEBOOK_SHARE_STATE
# names it, as the share fixture leaves it where the share cannot start.
set -uo pipefail
share_state=
if [ "${1:-}" = --share-state ]; then
    share_state=1
    shift
fi
reason=${1:?reason}
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() {
    local args=() a
    for a in "$@"; do
        [ "$a" = @STATE@ ] && a=$work/state
        args+=("$a")
    done
    rm -f "$work/state"
    if [ -n "$share_state" ]; then
        printf 'skip=%s\n' "$reason" >"$work/state"
        export COURSEBOOK_SHARE_STATE=$work/state
    fi
    "${args[@]}" >"$work/out" 2>&1
}

(unset CI; run "$@")
status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 77 ] || ! grep -qF "$reason" "$work/out" ||
    ! grep -qi skip "$work/out"; then
    echo "FAIL: without CI the command was not skipped with the reason (status $status):"
    cat "$work/out"
    exit 1
fi
echo "without CI: skipped (status $status) with «$reason»"
(export CI=true; run "$@")
status=$?
if [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || ! grep -qF "$reason" "$work/out" ||
    ! grep -qF "CI=true" "$work/out"; then
    echo "FAIL: under CI=true the command did not fail with the reason (status $status):"
    cat "$work/out"
    exit 1
fi
echo "under CI=true: failed (status $status) with «$reason»"
