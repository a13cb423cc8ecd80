#!/usr/bin/env bash
# swkv's monitoring against Debian's own programs. promtool accepts swkvctl's metrics (the
# textfile of the default scenario, and the metrics of a scenario where everything goes wrong and
# a name needs escaping) and the alert rules, and the rules' unit tests pass. Then a real
# Prometheus server scrapes `swkvctl serve`, and a real node_exporter reads the textfile
# that serve writes, while the default timeline fails a disk (on a controller without hot spares,
# so that the array goes critical and stays so). Through Prometheus's query API both show the
# array go from normal to critical and the failure counted as an event; a second serve on the
# port is refused and SIGTERM stops serve cleanly. Loopback only, ports chosen free here, every
# wait bounded. Skipped (77) only when a program is missing.
set -euo pipefail
swkvctl=$1 scenario=$2 rules=$3 rule_tests=$4 troubles=$5
for program in promtool prometheus prometheus-node-exporter python3; do
  if ! command -v "$program" > /dev/null; then
    echo "skipped: $program is not installed (scripts/setup installs it)"
    exit 77
  fi
done
box=$(mktemp -d "${TMPDIR:-/tmp}/swkv-e2e-XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
  wait 2> /dev/null || true
  rm -rf "$box"
}
trap cleanup EXIT
export SWKV_REGISTRY_ROOT=$box/registry XDG_STATE_HOME=$box/state HOME=$box/home
export SWKV_SIM_STATE=$box/sim-state.json SWKV_SIM_CLOCK=manual
export SWKV_SIM_SCENARIO=$box/scenario.json
unset SWKV_SIM_TRACE
sed 's/"hotSpares": 1,/"hotSpares": 0,/' "$scenario" > "$box/scenario.json"
"$swkvctl" register > /dev/null
"$swkvctl" metrics --textfile "$box/before.prom"
SWKV_SIM_STATE= SWKV_SIM_SCENARIO=$troubles "$swkvctl" metrics > "$box/troubles.prom"
for file in before troubles; do
  promtool check metrics < "$box/$file.prom"
  grep -q '^swkv_up 1$' "$box/$file.prom"
done
promtool check rules "$rules"
promtool test rules "$rule_tests"

fail() {
  echo "end_to_end: $*" >&2
  for log in "$box"/*.log; do echo "--- $log"; tail -n 20 "$log"; done >&2
  exit 1
}
# Polls Prometheus until the sum of the query's values is the value wanted, for at most the
# seconds given.
await() {
  local got deadline=$((SECONDS + $3))
  until got=$(promtool query instant "http://127.0.0.1:$prometheus_port" "sum($2)" 2>&1) &&
    [[ $got == *"=> $1 @"* ]]; do
    ((SECONDS < deadline)) || fail "$2 gave ${got:-no series}, not $1, within $3 s"
    sleep 0.5
  done
}

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
serve_port=$(free_port) node_port=$(free_port) prometheus_port=$(free_port)
mkdir -p "$box/textfile" "$box/data"
cat > "$box/prometheus.yml" <<YML
global: {scrape_interval: 1s, evaluation_interval: 1s}
scrape_configs:
  - job_name: swkv
    static_configs: [{targets: ["127.0.0.1:$serve_port"]}]
  - job_name: node
    static_configs: [{targets: ["127.0.0.1:$node_port"]}]
YML
prometheus-node-exporter --web.listen-address="127.0.0.1:$node_port" --collector.disable-defaults \
  --collector.textfile --collector.textfile.directory="$box/textfile" > "$box/node.log" 2>&1 &
pids+=($!)
prometheus --config.file="$box/prometheus.yml" --storage.tsdb.path="$box/data" \
  --web.listen-address="127.0.0.1:$prometheus_port" > "$box/prometheus.log" 2>&1 &
pids+=($!)
await 1 'up{job="node"}' 60

# Time runs 4 times as fast: the disk fails 7.5 s after serve starts.
"$swkvctl" --speed 4 serve --listen "127.0.0.1:$serve_port" --textfile "$box/textfile/swkv.prom" \
  > "$box/serve.log" 2>&1 &
serve=$!
pids+=($serve)
# /health answers 200 while the verdict is OK or WARNING, else 503; its body gives the verdict.
health() {
  python3 - "http://127.0.0.1:$serve_port/health" <<'PY'
import json, sys, urllib.error, urllib.request
try: answer = urllib.request.urlopen(sys.argv[1])
except urllib.error.HTTPError as error: answer = error
print(answer.status, json.load(answer)["status"])
PY
}
state() { echo "swkv_array_state{controller=\"HBA1\",array=\"System\",state=\"$1\",job=\"$2\"}"; }
await 1 "$(state normal swkv)" 30
await 1 "$(state normal node)" 10
[[ $(health) =~ ^(200 (OK|WARNING)|503 CRITICAL)$ ]] || fail "/health: $(health)"
await 1 "$(state critical swkv)" 60
await 1 "$(state critical node)" 10
[[ $(health) == "503 CRITICAL" ]] || fail "/health when critical: $(health)"
await 1 'sum(swkv_events_total{job="swkv",name="Drv. Fail"}) > bool 0' 10

# In use: a second exporter on the same port says so and stops.
code=0
timeout 20 "$swkvctl" serve --listen "127.0.0.1:$serve_port" > "$box/second.log" 2>&1 || code=$?
[[ $code == 1 ]] && grep -q "cannot listen on 127.0.0.1:$serve_port: Address already in use" \
  "$box/second.log" || fail "a second serve on the port: exit $code, $(cat "$box/second.log")"

kill -TERM "$serve"
code=0
wait "$serve" || code=$?
[[ $code == 0 ]] && tail -n 1 "$box/serve.log" | grep -qx stopped ||
  fail "serve did not stop cleanly on SIGTERM (exit $code)"
echo "end_to_end: normal -> critical through serve and node_exporter"
