#!/usr/bin/env bash
# The main job on a machine without a phone: builds Quorvex, starts the simulated handset on
# a pseudo-terminal and opens the window on it in a demo folder (port settings, message
# archive, help text, handset pictures). Without a display it runs quorvex-cli demo instead.
#
#   bash scripts/run.sh            window when a display is there, else the CLI demo
#   QUORVEX_MODEL=T720 bash scripts/run.sh     another handset model
#   QUORVEX_CLI=1 bash scripts/run.sh          the CLI demo even with a display
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh >&2
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2

work=$(mktemp -d /tmp/quorvex-demo.XXXXXX)
sim=
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$top/build/apps/quorvex-phonesim" --model "${QUORVEX_MODEL:-C350}" --link "$work/phone" \
  --state "$work/handset.state" >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 100); do [ -e "$work/phone" ] && break; sleep 0.05; done
[ -e "$work/phone" ] || { cat "$work/sim.out" >&2; exit 1; }

# The program finds its files in the working directory, as on a real desk.
cp "$top"/data/*.jpg "$top/data/info.txt" "$work/"
cp "$top/data/demo_sms_archive.txt" "$work/sms_archive.txt"
cd "$work"
# portcfg.ini is code page 1251 with CR LF; the comments read "имя порта", "скорость порта"
# and "задержка".
printf '[PORT CONFIG]\r\nPort=%s; - \xe8\xec\xff \xef\xee\xf0\xf2\xe0\r\nBaudRate=115200; - \xf1\xea\xee\xf0\xee\xf1\xf2\xfc \xef\xee\xf0\xf2\xe0\r\nTimeOut=3000; - \xe7\xe0\xe4\xe5\xf0\xe6\xea\xe0\r\n' \
  "$work/phone" >portcfg.ini

window="$top/build/apps/quorvex"
if [ -z "${QUORVEX_CLI:-}" ] && [ -x "$window" ] &&
  [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Quorvex is talking to a simulated ${QUORVEX_MODEL:-C350} on $work/phone." >&2
  "$window"
  exit
fi

"$top/build/apps/quorvex-cli" demo
echo >&2
echo "No display here, so this was quorvex-cli demo. To see the window, run this command on" >&2
echo "a desktop, or without one: xvfb-run -a bash scripts/run.sh (and take a screenshot)," >&2
echo "or look at docs/screenshots/." >&2
