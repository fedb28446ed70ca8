#!/usr/bin/env bash
# Builds Skyvane and runs every test: logic in simulated time, the Qt adapter offscreen, sound
# through a private PulseAudio server, and the real program under Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
skyvane_install "${SKYVANE_BUILD_PACKAGES[@]}" libgtest-dev xvfb openbox xdotool wmctrl \
    imagemagick pulseaudio pulseaudio-utils
skyvane_build

# A private sound server with a null sink whose monitor the sound test records.
pulse_dir="$(mktemp -d)"
cleanup() {
    [ -n "${pulse_pid:-}" ] && kill "$pulse_pid" 2>/dev/null || true
    rm -rf "$pulse_dir"
}
trap cleanup EXIT
export PULSE_RUNTIME_PATH="$pulse_dir" XDG_RUNTIME_DIR="$pulse_dir" HOME="${HOME:-/root}"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --system=false \
    --load="module-null-sink sink_name=skyvane_test rate=44100" \
    --load="module-native-protocol-unix socket=$pulse_dir/native auth-anonymous=1" \
    >"$pulse_dir/log" 2>&1 &
pulse_pid=$!
export PULSE_SERVER="unix:$pulse_dir/native"
for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
if pactl info >/dev/null 2>&1; then
    pactl set-default-sink skyvane_test
    export SKYVANE_TEST_SINK=skyvane_test
else
    echo "PulseAudio did not start:" && cat "$pulse_dir/log"
    exit 1
fi

export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure "$@"
