#!/usr/bin/env bash
# Signals and resources, sent and set as a user does: every signal that ends
# the tool removes its temporary file and ends it by that signal; a signal
# ignored at start (nohup, trap '' HUP) stays ignored; a thread the system
# refuses (ulimit -v) is a line and a run on the others, never an abort; a
# write error on standard output or error is a nonzero exit.
# Usage: signals_test.sh MORVANE [ulimit-v|no-ulimit-v]   (no-ulimit-v: a
# sanitizer build, whose shadow memory no address-space limit leaves room for)
set -uo pipefail
set -m # background jobs keep SIGINT and SIGQUIT, as at a terminal
morvane=$1
address_limits=${2:-ulimit-v}
work=$(mktemp -d)
cd "$work" || exit 1
feeder=""
trap 'touch "$work/go"; wait; rm -rf "$work"' EXIT
failures=0
check() { # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}

header='YUV4MPEG2 W8 H4 F25:1 C444\n'
{ printf 'FRAME\n'; head -c $((8 * 4 * 3)) /dev/zero; } >frame.bin
# start_stream [COMMAND...]: the tool resizes a y4m stream from a FIFO whose
# writer stays open, so it waits inside the stream with its temporary file
# made; sets $pid. A command given runs in the tool's subshell first.
start_stream() {
  rm -f in.fifo out.y4m out.y4m.partial-* go send
  mkfifo in.fifo
  (
    exec 3>in.fifo
    printf "$header" >&3
    while [ ! -e go ]; do sleep 0.05; done
    [ -e send ] && cat frame.bin >&3
  ) &
  feeder=$!
  (
    [ $# -gt 0 ] && "$@"
    exec "$morvane" resize - out.y4m --size 4x2 <in.fifo
  ) &
  pid=$!
  for _ in $(seq 100); do
    compgen -G 'out.y4m.partial-*' >/dev/null && return
    sleep 0.05
  done
  echo "the tool never made its temporary file"
}
# wait_end: sets $status to the tool's exit status once it ends, or to
# "running" when it still runs 5 s on (the stream is then let go to end it).
wait_end() {
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  status=running
  if kill -0 "$pid" 2>/dev/null; then
    end_stream
    wait "$pid"
  else
    wait "$pid"
    status=$?
  fi
}
end_stream() { # [send]: lets the writer go, after one more frame with "send"
  [ $# -gt 0 ] && touch send
  touch go
  wait "$feeder" 2>/dev/null
  feeder=""
}

# Every signal whose default action ends a process.
for signal in HUP INT QUIT TERM USR1 USR2 ALRM VTALRM PROF XCPU XFSZ PIPE ABRT RTMIN+2; do
  start_stream
  kill -s "$signal" "$pid"
  wait_end
  check "SIG$signal: ends the tool by the signal" "$((128 + $(kill -l "$signal")))" "$status"
  check "SIG$signal: no output, no temporary file" "" "$(compgen -G 'out.y4m*')"
  end_stream
done

# A signal just after the temporary file is made, before the tool has noted
# it: the moment is stretched to a second by strace, which delays the fchmod
# that follows the file's creation. The signal waits and still removes it.
if command -v strace >/dev/null && strace -qq -o /dev/null true 2>/dev/null; then
  head -c $((8 * 4 * 6)) /dev/urandom >tiny.yc48
  strace -f -qq -o /dev/null -e trace=fchmod -e inject=fchmod:delay_exit=1000000 -- \
    "$morvane" resize tiny.yc48 made.yc48 --input-size 8x4 --size 30x30 &
  tracer=$!
  for _ in $(seq 100); do
    compgen -G 'made.yc48.partial-*' >/dev/null && break
    sleep 0.02
  done
  kill -s TERM "$(pgrep -P "$tracer")"
  wait "$tracer"
  check "SIGTERM as the temporary file is made: ends the tool" 143 $?
  check "SIGTERM as the temporary file is made: no temporary file" "" "$(compgen -G 'made.yc48*')"
else
  echo "skipped: the signal as the temporary file is made (no strace, or no ptrace here)"
fi

# Ignored at start, ignored throughout: the stream still completes.
for signal in HUP INT TERM; do
  start_stream trap '' "$signal"
  kill -s "$signal" "$pid"
  sleep 0.2
  end_stream send
  wait "$pid"
  check "SIG$signal ignored at start: the tool goes on to the end" 0 $?
  check "SIG$signal ignored at start: the output is there" "out.y4m" "$(compgen -G 'out.y4m*')"
done

# A file-size limit (ulimit -f) raises SIGXFSZ from the tool's own write.
head -c $((600 * 400 * 6)) /dev/urandom >in.yc48
(
  ulimit -f 100
  exec "$morvane" resize in.yc48 big.yc48 --input-size 600x400 --size 700x500
)
status=$?
check "ulimit -f: ends the tool by SIGXFSZ" $((128 + $(kill -l XFSZ))) $status
check "ulimit -f: no output, no temporary file" "" "$(compgen -G 'big.yc48*')"

# Threads the system refuses: a line, then the run on the threads it has.
# Each job runs under the smallest address-space limit (in steps of 1000 KiB)
# its one thread needs, so that 64 threads' stacks cannot all fit beside it.
head -c $((64 * 48 * 6)) /dev/urandom >small.yc48
head -c $((600 * 400 * 6)) /dev/urandom >mid.yc48
least_kib() { # least_kib MORVANE-ARGS...: the limit, with --threads 1's output written
  local kib
  for kib in $(seq 8000 1000 400000); do
    if (
      ulimit -v "$kib"
      exec "$morvane" "$@" --threads 1
    ) 2>/dev/null; then
      echo "$kib"
      return
    fi
  done
}
under() { # under KIB MORVANE-ARGS...
  local kib=$1
  shift
  (
    ulimit -v "$kib"
    exec "$morvane" "$@"
  )
}
if [ "$address_limits" = ulimit-v ]; then
  small=(resize small.yc48 --input-size 64x48 --size 96x40)
  small_kib=$(least_kib "${small[@]}" one-thread.yc48)
  under "$small_kib" "${small[@]}" many.yc48 --threads 64 2>threads.txt
  check "ulimit -v, 64 threads: exit status" 0 $?
  check "ulimit -v, 64 threads: says so" 1 "$(grep -c -- '--threads 64: the system let only [0-9]* start; running on those' threads.txt)"
  check "ulimit -v, 64 threads: the same bytes" "" "$(cmp one-thread.yc48 many.yc48 2>&1)"
  # A larger job: its buffers come before the threads' stacks, and when a
  # pass's buffers find no room beside the threads, it runs on one.
  mid=(resize mid.yc48 --input-size 600x400 --size 720x480)
  under "$(least_kib "${mid[@]}" mid-one.yc48)" "${mid[@]}" mid-many.yc48 --threads 64 2>/dev/null
  check "ulimit -v as low as one thread needs, 64 threads: exit status" 0 $?
  check "ulimit -v as low as one thread needs, 64 threads: the same bytes" "" \
    "$(cmp mid-one.yc48 mid-many.yc48 2>&1)"
  under 300000 resize small.yc48 huge.yc48 --input-size 64x48 --size 9000x9000 --threads 64 2>/dev/null
  check "ulimit -v, too large a frame: a plain failure, not an abort" 1 $?
  under "$small_kib" "${small[@]}" many.yc48 --threads 64 2>/dev/full
  check "its line to a full standard error: exit status" 1 $?
else
  echo "skipped: the ulimit -v cases (a sanitizer build)"
fi

# Write errors on standard output and standard error.
"$morvane" demo cards --threads 1 >/dev/full 2>full.txt
check "demo > /dev/full: exit status" 1 $?
check "demo > /dev/full: says so" "morvane: standard output: write failed: No space left on device" "$(cat full.txt)"
"$morvane" --help >/dev/full 2>/dev/null
check "--help > /dev/full: exit status" 1 $?

echo "$failures failed"
[ "$failures" -eq 0 ]
