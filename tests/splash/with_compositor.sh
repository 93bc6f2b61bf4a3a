#!/bin/sh
# Runs a command with xcompmgr compositing the X display (so windows can be
# made transparent) and BRINDLE_EXPECT_COMPOSITOR set; without xcompmgr, as it is.
set -u
command -v xcompmgr >/dev/null 2>&1 || exec "$@"
xcompmgr &
compositor=$!
BRINDLE_EXPECT_COMPOSITOR=1 "$@"
status=$?
kill "$compositor" 2>/dev/null
wait "$compositor" 2>/dev/null
exit $status
