#!/usr/bin/env bash
# promtool accepts swkvctl's metrics (the textfile of the default scenario, and the metrics of a
# scenario where everything goes wrong and a name needs escaping) and the alert rules, and the
# rules' unit tests pass. Skipped (77) only when promtool is not installed.
set -euo pipefail
swkvctl=$1 rules=$2 rule_tests=$3 troubles=$4
if ! command -v promtool > /dev/null; then
  echo "skipped: promtool is not installed (scripts/setup installs Debian's prometheus)"
  exit 77
fi
box=$(mktemp -d "${TMPDIR:-/tmp}/swkv-promtool-XXXXXX")
trap 'rm -rf "$box"' EXIT
export SWKV_REGISTRY_ROOT=$box/registry XDG_STATE_HOME=$box/state HOME=$box/home
export SWKV_SIM_STATE=$box/sim-state.json SWKV_SIM_CLOCK=manual
unset SWKV_SIM_SCENARIO SWKV_SIM_TRACE

"$swkvctl" metrics --textfile "$box/before.prom" 2> /dev/null
SWKV_SIM_STATE= SWKV_SIM_SCENARIO=$troubles "$swkvctl" metrics > "$box/troubles.prom"
for file in before troubles; do
  promtool check metrics < "$box/$file.prom"
  grep -q '^swkv_up 1$' "$box/$file.prom"
done

promtool check rules "$rules"
cp "$rules" "$rule_tests" "$box/"
(cd "$box" && promtool test rules "$(basename "$rule_tests")")
