#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
# CPU time and peak memory of the whole monitor process (the real tovana, offscreen)
# against tovana-boardsim: while the board is silent, and while acquiring at full rate
# (19200 baud, no settle delay). Prints figures only.
#   bench/boardio/monitor_cpu.sh [build-dir] [seconds]
set -euo pipefail
build=$(realpath "${1:-build/default}")
seconds=${2:-10}
sim="$build/tools/boardsim/tovana-boardsim"
monitor="$build/monitor/tovana"
ticks=$(getconf CLK_TCK)

home=$(mktemp -d)
sim_pid=
monitor_pid=
cleanup() {
  [ -n "$monitor_pid" ] && kill "$monitor_pid" 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$home QT_QPA_PLATFORM=offscreen

# utime + stime of a process, in clock ticks (fields 14 and 15 of /proc/<pid>/stat; the
# command name in field 2 holds no spaces here).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Bytes the simulator has read from its line so far: the monitor's queries and commands.
bytes_read() { awk '/^rchar/ { print $2 }' "/proc/$1/io"; }

# Runs one case: a label, then simulator options. Prints the monitor's CPU share of one
# core over the measured window, the acquisition rate the board saw (queries / 8) and
# the monitor's peak resident memory.
measure() {
  local label=$1; shift
  mkdir -p "$home/Tovana2"
  printf '[StartUp]\nMeter%%20Response="0"\n' >"$home/Tovana2/Tovana2.conf"
  "$sim" --port 1 "$@" >"$home/sim.out" &
  sim_pid=$!
  for _ in $(seq 100); do grep -q '^ready ' "$home/sim.out" 2>/dev/null && break; sleep 0.1; done
  grep -q '^ready ' "$home/sim.out" || { echo "monitor_cpu: tovana-boardsim did not start" >&2; exit 1; }
  "$monitor" >/dev/null 2>&1 &
  monitor_pid=$!
  sleep 2  # start-up and the first activation are not what is measured
  local before after read_before read_after
  before=$(cpu_ticks "$monitor_pid")
  read_before=$(bytes_read "$sim_pid")
  sleep "$seconds"
  after=$(cpu_ticks "$monitor_pid")
  read_after=$(bytes_read "$sim_pid")
  local peak
  peak=$(awk '/^VmHWM/ { print $2 }' "/proc/$monitor_pid/status")
  awk -v label="$label" -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" -v kb="$peak" \
      -v q=$((read_after - read_before)) \
    'BEGIN { printf "%-28s CPU %6.2f %% of one core over %d s, %6.1f cycles/s, peak RSS %.1f MiB\n",
             label, 100 * t / hz / s, s, q / 8 / s, kb / 1024 }'
  kill "$monitor_pid"; wait "$monitor_pid" 2>/dev/null || true; monitor_pid=
  kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true; sim_pid=
}

measure "board silent" --silent
measure "acquiring, 19200 baud, N=0" --baud 19200
