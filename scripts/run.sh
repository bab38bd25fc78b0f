#!/usr/bin/env bash
# The main job on a machine without a phone: builds Quorvex, starts the simulated handset on
# a pseudo-terminal and lets quorvex-cli talk to it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh >&2
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2

work=$(mktemp -d /tmp/quorvex-demo.XXXXXX)
trap 'kill "$sim" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
"$top/build/apps/quorvex-phonesim" --model "${QUORVEX_MODEL:-C350}" --link "$work/phone" \
  >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 100); do [ -e "$work/phone" ] && break; sleep 0.05; done
[ -e "$work/phone" ] || { cat "$work/sim.out" >&2; exit 1; }

# The program reads its port settings from the working directory, as on a real desk.
cd "$work"
printf '[PORT CONFIG]\r\nPort=%s; - \xe8\xec\xff \xef\xee\xf0\xf2\xe0\r\nBaudRate=115200; - \xf1\xea\xee\xf0\xee\xf1\xf2\xfc \xef\xee\xf0\xf2\xe0\r\nTimeOut=3000; - \xe7\xe0\xe4\xe5\xf0\xe6\xea\xe0\r\n' \
  "$work/phone" >portcfg.ini

cli="$top/build/apps/quorvex-cli"
if "$cli" --help | grep -q '^  demo'; then
  "$cli" demo
  exit
fi
for command in AT AT+CGMI AT+CGMM AT+CGSN AT+CGMR AT+CIMI AT+CBC AT+CSQ 'AT+CPBS=?'; do
  echo "> $command"
  "$cli" at "$command"
done
