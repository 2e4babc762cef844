#!/usr/bin/env bash
# Checks the package the way a user meets it: builds moru-desk_<version>_amd64.deb, installs it with
# apt-get, asks the installed command for --version and --help without a display, starts it under Xvfb
# with no counter (the login page; a login fails with a box and no crash), then with moru-sim (a demo
# login by keys reaches the workspace), saves screenshots and purges the package, checking that nothing
# of it stays under /usr or /opt. Needs root or sudo. Runs with a fresh home folder, as a new user would.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
shots=$root/screenshots/package-check
rm -rf "$shots"
mkdir -p "$shots"

fail() {
    echo "package-check: FAILED: $*" >&2
    exit 1
}

echo "== build the package"
deb=$("$root/scripts/package.sh" | tail -n 1)
[ -f "$deb" ] || fail "no package built"
echo "$deb"

echo "== install it"
$SUDO apt-get install -y -qq "$deb" >/dev/null
files=$(mktemp)
dpkg-query -L moru-desk >"$files"
[ "$(readlink -f "$(command -v moru-desk)")" = /usr/lib/moru-desk/Moru-Desk ] || fail "moru-desk is not the installed program"

# A new user: empty home, the XDG defaults.
home=$(mktemp -d)
export HOME=$home
unset XDG_CONFIG_HOME XDG_STATE_HOME
state=$home/.local/state/moru-desk
config=$home/.config/moru-desk
log_file() { ls "$state"/log/Moru-Desk-*.log 2>/dev/null | head -n 1; }

echo "== moru-desk --version and --help, no display"
version=$(env -u DISPLAY -u QT_QPA_PLATFORM moru-desk --version)
echo "$version"
[ "$version" = "Moru-Desk $(dpkg-query -W -f='${Version}' moru-desk)" ] || fail "--version says \"$version\""
env -u DISPLAY -u QT_QPA_PLATFORM moru-desk --help | grep -q "$config" || fail "--help does not name $config"
[ ! -e "$config" ] || fail "--help created $config"

app_pid=""
sim_pid=""
xvfb_pid=""
cleanup() {
    for p in $app_pid $sim_pid $xvfb_pid; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

n=87
while [ -e "/tmp/.X$n-lock" ] && [ "$n" -lt 199 ]; do n=$((n + 1)); done
export DISPLAY=:$n
Xvfb "$DISPLAY" -screen 0 1400x800x24 >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

shot() {  # shot NAME [WINDOW]: the whole screen, or one window
    if [ -n "${2:-}" ]; then xwd -id "$2" -silent; else xwd -root -silent; fi | convert xwd:- "$shots/$1.png"
    echo "screenshot: $shots/$1.png"
}

start_terminal() {
    moru-desk >>"$shots/moru-desk.out" 2>&1 &
    app_pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Moru-Desk' | head -n 1) ||
        fail "no Moru-Desk window"
    sleep 1
}

login_by_keys() {  # account password: the first exchange (上交), node as shipped, then Return
    xdotool windowfocus --sync "$window"
    sleep 0.3
    xdotool key --delay 100 Down Tab
    xdotool type --delay 50 "$1"
    xdotool key Tab
    xdotool type --delay 50 "$2"
    xdotool key Return
}

stop_terminal() {
    kill -0 "$app_pid" 2>/dev/null || fail "Moru-Desk ended by itself"
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
}

echo "== first start, no counter"
if (exec 3<>/dev/tcp/127.0.0.1/18801) 2>/dev/null; then fail "something already listens on 127.0.0.1:18801"; fi
start_terminal
for f in api_config.txt moru_bot_config.ini error_msg.json rsp_convert.json; do
    [ -f "$config/$f" ] || fail "$config/$f not copied on the first start"
done
[ -n "$(log_file)" ] || fail "no log file under $state/log"
shot login
login_by_keys 10880001 123456
box=$(timeout 40 xdotool search --sync --onlyvisible --name '^(提示|错误)$' | head -n 1) || fail "no failure box"
sleep 1
echo "box \"$(xdotool getwindowname "$box")\" after a login with no counter"
shot login-failed
shot login-failed-box "$box"
ls "$state"/*.dmp >/dev/null 2>&1 && fail "crash dump written"
stop_terminal

echo "== moru-sim and a demo login"
moru-sim --data /usr/share/moru-desk/demo.json >"$shots/moru-sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 1 100); do grep -q "^quote-port" "$shots/moru-sim.out" && break; sleep 0.1; done
grep -q "^quote-port" "$shots/moru-sim.out" || fail "moru-sim did not start: $(cat "$shots/moru-sim.out")"
start_terminal
login_by_keys 10880001 123456
for _ in $(seq 1 300); do grep -q "now can use order interface" "$(log_file)" && break; sleep 0.1; done
grep -q "now can use order interface" "$(log_file)" || fail "the demo login did not complete"
sleep 3
shot workspace
stop_terminal
kill "$sim_pid"
sim_pid=""
echo "log: $(log_file), $(wc -l <"$(log_file)") lines"

echo "== purge"
$SUDO apt-get purge -y -qq moru-desk >/dev/null
status=$(dpkg-query -W -f='${Status}' moru-desk 2>/dev/null || true)
case "$status" in "" | *not-installed) ;; *) fail "dpkg still has moru-desk: $status" ;; esac
left=()
while read -r f; do
    case "$f" in /usr/* | /opt/*) ;; *) continue ;; esac
    # Directories shared with other packages (/usr/share/icons/...) stay; ours must go.
    if [ -e "$f" ] && { [ ! -d "$f" ] || [ -z "$(dpkg -S "$f" 2>/dev/null)" ]; }; then left+=("$f"); fi
done <"$files"
for d in /usr/lib/moru-desk /usr/share/moru-desk /usr/share/doc/moru-desk /opt/moru-desk; do
    [ -e "$d" ] && left+=("$d")
done
[ ${#left[@]} -eq 0 ] || fail "left after purge: ${left[*]}"
echo "purged: none of its $(grep -c . "$files") paths left under /usr or /opt (the user's own $config and $state stay)"
echo "package-check: OK"
