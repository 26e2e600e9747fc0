#!/usr/bin/env bash
# From kelm.sh's own lists: `./kelm.sh run` installs nothing that only the tests or the packaging
# need, and no package is in two lists.
set -euo pipefail
kelm=$1
later_only=$(comm -12 <("$kelm" packages run | sort) <({ "$kelm" packages tests; "$kelm" packages packaging; } | sort))
[ -z "$later_only" ] || { echo "FAIL: ./kelm.sh run installs" $later_only >&2; exit 1; }
twice=$("$kelm" packages test | sort | uniq -d)
[ -z "$twice" ] || { echo "FAIL: in two lists:" $twice >&2; exit 1; }
