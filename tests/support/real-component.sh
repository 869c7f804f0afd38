# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by a test or fixture script of a real component (the share's
# clients, an X server, the results server) that finds it cannot start it:
#   component_missing REASON    prints the reason and exits: 77 (skipped)
#                               on a developer's machine, 1 (failed) where
#                               CI=true, as the continuous integration runs
#                               the test command
#   component_required          succeeds where CI=true
component_required() {
    case "${CI:-}" in
    true | TRUE | True | 1 | yes) return 0 ;;
    *) return 1 ;;
    esac
}

component_missing() {
    if component_required; then
        echo "cannot start, and CI=true requires every real component to run: $*" >&2
        exit 1
    fi
    echo "cannot start here, skipped: $*"
    exit 77
}
