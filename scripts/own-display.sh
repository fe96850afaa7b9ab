#!/usr/bin/env bash
# Runs a command on an X server of its own: the server takes the first free display itself, so
# that several of these can start side by side. The command's exit status is returned.
set -u
ready=$(mktemp)
trap 'rm -f "$ready"' EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$ready" 2>/dev/null &
server=$!
# The server writes its display number once it takes connections.
for _ in $(seq 1 300); do
    [ -s "$ready" ] && break
    kill -0 "$server" 2>/dev/null || { echo "own-display: Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done
[ -s "$ready" ] || { echo "own-display: Xvfb gave no display" >&2; kill "$server"; exit 1; }
DISPLAY=":$(head -n1 "$ready")" "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit "$status"
