# shellcheck shell=bash
# Sourced by the checks that need tools of their own. A check whose tools are missing
# ends as skipped (77, which ctest reports as a skip), or as failed where every tool must
# be there: scripts/test.sh sets BMI_NO_SKIP after scripts/deps.sh installed them all.
#
#   end_for_missing_tools CHECK-NAME PACKAGE...
end_for_missing_tools() {
    local name=$1
    shift
    if [ -n "${BMI_NO_SKIP:-}" ]; then
        echo "$name: FAIL: not installed: $* (scripts/deps.sh installs them)" >&2
        exit 1
    fi
    echo "$name: skipped: not installed: $* (scripts/deps.sh installs them)"
    exit 77
}
