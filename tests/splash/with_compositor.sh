#!/bin/sh
# Runs a command with xcompmgr compositing the current X display, so that
# windows can be made transparent (the splash fades need that). Without
# xcompmgr the command runs as it is. Tells the command through
# BRINDLE_EXPECT_COMPOSITOR that it should find a compositor.
set -u
if ! command -v xcompmgr >/dev/null 2>&1; then
  exec "$@"
fi
xcompmgr &
compositor=$!
BRINDLE_EXPECT_COMPOSITOR=1 "$@"
status=$?
kill "$compositor" 2>/dev/null
wait "$compositor" 2>/dev/null
exit $status
