#!/usr/bin/env bash
# Outputs that are not plain new files, as a user of Unix tools meets them:
# each kind of output gets the bytes a plain new file gets, keeps what it is
# (a FIFO, a device, a symlink, a file's mode and other names), a file the
# user could not write from the shell is refused, and no temporary file is
# ever left behind.
# Usage: outputs_test.sh MORVANE
set -uo pipefail
morvane=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 0711 "$work"  # an unprivileged user may pass through
cd "$work" || exit 1
# The tool's own temporary files (those it cannot put beside a file go to
# TMPDIR) stay in this folder, apart from those of tests running beside it.
mkdir -m 1777 tmp
export TMPDIR=$work/tmp
failures=0
check() { # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}
resize() { # resize OUTPUT [morvane options...]: in.yc48 (8x4) to 12x6
  local out=$1
  shift
  "$morvane" resize in.yc48 "$out" --input-size 8x4 --size 12x6 "$@"
}
same() { cmp -s "$1" ref.yc48 && echo same || echo differs; }
# An unprivileged user, as which permission bits count (root ignores them).
as_user() { if [ "$(id -u)" = 0 ]; then setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; else "$@"; fi; }

head -c $((8 * 4 * 6)) /dev/urandom >in.yc48
resize ref.yc48 || exit 1
old_bytes() { printf 'old content\n' >"$1"; }

# A FIFO: its reader gets the frame, and the FIFO stays a FIFO.
mkfifo out-fifo.yc48
timeout 20 cat out-fifo.yc48 >read-from-fifo &
resize out-fifo.yc48
check "FIFO: exit status" 0 $?
wait
check "FIFO: the reader got the frame" same "$(same read-from-fifo)"
check "FIFO: still a FIFO" "fifo" "$(stat -c %F out-fifo.yc48)"

# A FIFO without a kind in its name takes the input's.
mkfifo plain-fifo
timeout 20 cat plain-fifo >read-from-plain &
resize plain-fifo
check "FIFO named without a kind: exit status" 0 $?
wait
check "FIFO named without a kind: the reader got the frame" same "$(same read-from-plain)"

# A run that fails before it writes still ends the FIFO's reader, as the
# shell's "> fifo" would, instead of leaving it waiting for ever: a failure
# while running, and every kind of argument error.
while IFS='|' read -r what args; do
  timeout 10 cat out-fifo.yc48 >read-after-failure &
  reader=$!
  for _ in $(seq 100); do # until the reader waits in its open of the FIFO
    [ "$(cat "/proc/$(pgrep -P "$reader")/wchan" 2>/dev/null)" = wait_for_partner ] && break
    sleep 0.05
  done
  # shellcheck disable=SC2086 # the arguments are words
  "$morvane" resize $args 2>/dev/null
  status=$?
  wait "$reader"
  read_status=$?
  check "FIFO, $what: a failure, the reader ends at once with nothing" "failed 0 0" \
    "$([ "$status" -ne 0 ] && echo failed) $read_status $(stat -c %s read-after-failure)"
done <<'CASES'
a missing input|missing.yc48 out-fifo.yc48 --input-size 8x4 --size 12x6
an unknown option|in.yc48 out-fifo.yc48 --input-size 8x4 --size 12x6 --bogus
a thread count that is no number|in.yc48 out-fifo.yc48 --input-size 8x4 --size 12x6 --threads x
no --size|in.yc48 out-fifo.yc48 --input-size 8x4
a repeated option|in.yc48 out-fifo.yc48 --input-size 8x4 --size 12x6 --size 4x4
an option without its value|--size 12x6 in.yc48 out-fifo.yc48 --input-size
an argument too many|in.yc48 out-fifo.yc48 extra --input-size 8x4 --size 12x6
CASES

# Character devices, named or through a symlink, stay devices.
resize /dev/null
check "/dev/null: exit status" 0 $?
check "/dev/null: still a device" "character special file" "$(stat -c %F /dev/null)"
ln -s /dev/null null-link.yc48
resize null-link.yc48
check "symlink to /dev/null: exit status" 0 $?
check "symlink to /dev/null: still a symlink" "symbolic link" "$(stat -c %F null-link.yc48)"
resize /dev/full 2>full-device.txt
check "/dev/full: a failure that says why" "1 morvane: /dev/full: write failed: No space left on device" \
  "$? $(cat full-device.txt)"
resize /dev/stdout >from-stdout.yc48
check "/dev/stdout into a file: exit status" 0 $?
check "/dev/stdout into a file: the frame" same "$(same from-stdout.yc48)"
resize /dev/stdout | cat >from-pipe.yc48
check "/dev/stdout into a pipe: the frame" same "$(same from-pipe.yc48)"

# A regular file reached through /proc is that file, never appended to: a
# symlink spelled through /proc/self/cwd is replaced as any symlink's file;
# /dev/stdout and /proc/self/fd/1 are the tool's standard output, written
# from its offset and, unless opened for appending, cut where the frame ends
# (as cp makes it end); a closed one is named as closed.
old_long() { head -c 1000 /dev/zero | tr '\0' x >"$1"; }
old_long through-proc.yc48
ln -s /proc/self/cwd/through-proc.yc48 proc-link.yc48
resize proc-link.yc48
check "symlink through /proc/self/cwd: the file holds the frame alone" "0 same" "$? $(same through-proc.yc48)"
check "symlink through /proc/self/cwd: still a symlink" "symbolic link" "$(stat -c %F proc-link.yc48)"
old_long read-write.yc48
resize /dev/stdout 1<>read-write.yc48
check "/dev/stdout opened read-write over longer content: the frame alone" "0 same" "$? $(same read-write.yc48)"
resize /proc/self/fd/1 >fd-one.yc48
check "/proc/self/fd/1 into a file: the frame" "0 same" "$? $(same fd-one.yc48)"
{ printf 'before'; resize /dev/stdout; } >after-text.yc48
check "/dev/stdout after other output: kept, then the frame" "0 same" \
  "$? $(tail -c +7 after-text.yc48 | cmp -s - ref.yc48 && [ "$(head -c 6 after-text.yc48)" = before ] && echo same)"
old_bytes appended.yc48
resize /dev/stdout >>appended.yc48
check "/dev/stdout appending: the old content, then the frame" "0 same" \
  "$? $(tail -c +13 appended.yc48 | cmp -s - ref.yc48 && [ "$(head -n 1 appended.yc48)" = "old content" ] && echo same)"
resize /dev/stdout 2>closed.txt >&-
check "/dev/stdout closed: says so" "1 morvane: /dev/stdout: cannot write: descriptor 1 (standard output) is closed" \
  "$? $(cat closed.txt)"

# A symlink updates the file it points to, in that file's folder, and stays.
mkdir -p real links
old_bytes real/target.yc48
chmod 0640 real/target.yc48
ln -s ../real/target.yc48 links/out.yc48
resize links/out.yc48
check "symlink: exit status" 0 $?
check "symlink: still a symlink" "symbolic link" "$(stat -c %F links/out.yc48)"
check "symlink: the target holds the frame" same "$(same real/target.yc48)"
check "symlink: the target keeps its mode" 640 "$(stat -c %a real/target.yc48)"
ln -s real/new.yc48 dangling.yc48
resize dangling.yc48
check "dangling symlink: the file it names is made" same "$(same real/new.yc48)"
check "dangling symlink: still a symlink" "symbolic link" "$(stat -c %F dangling.yc48)"

# An existing file keeps its permission bits.
for mode in 600 644 664 700; do
  old_bytes "mode-$mode.yc48"
  chmod "$mode" "mode-$mode.yc48"
  resize "mode-$mode.yc48"
  check "mode $mode: the frame" same "$(same "mode-$mode.yc48")"
  check "mode $mode: kept" "$mode" "$(stat -c %a "mode-$mode.yc48")"
done

# A private output's data is never where another user could read it: every
# temporary file is made 0600 and gets the file's mode before its first
# byte, and one that cannot lie beside the file lies in a folder of this
# user's alone. The tool is held inside a y4m stream that stops after its
# header, so its temporary file can be looked at while the run lasts.
printf 'YUV4MPEG2 W8 H4 F25:1 C444\n' >stream-header.bin
{ printf 'FRAME\n'; head -c $((8 * 4 * 3)) /dev/urandom; } >stream-frame.bin
while_streaming() { # while_streaming OUTPUT PROBE [COMMAND...]: prints PROBE's output
  local out=$1 probe=$2
  shift 2
  rm -f slow.y4m go && mkfifo -m 0644 slow.y4m
  (
    exec 3<>slow.y4m # not waiting for a reader, should the run fail
    cat stream-header.bin >&3
    while [ ! -e go ]; do sleep 0.05; done
    cat stream-frame.bin >&3
  ) &
  local feeder=$!
  "$@" "$morvane" resize slow.y4m "$out" --size 4x2 --quiet &
  local tool=$!
  for _ in $(seq 100); do
    [ -n "$(find . -name '*.partial-*' 2>/dev/null)" ] && break
    sleep 0.05
  done
  eval "$probe"
  touch go
  wait "$feeder"
  wait "$tool" || echo "the run failed"
}
old_bytes private-a.y4m && chmod 0600 private-a.y4m && ln private-a.y4m private-b.y4m
check "hard-linked 0600 file: its temporary file while the run lasts" 600 \
  "$(while_streaming private-a.y4m "find . -name '*.partial-*' -printf '%m\n'")"
check "hard-linked 0600 file: the new content under both names" "FRAME" "$(sed -n 2p private-b.y4m | cut -c1-5)"
mkdir -p locked-private && old_bytes locked-private/mine.y4m
chown 65534:65534 locked-private/mine.y4m 2>/dev/null
chmod 0600 locked-private/mine.y4m && chmod 0755 locked-private
check "0600 file in a folder that takes no new file: nothing in TMPDIR others may read or list" \
  "1 temporary file;" \
  "$(while_streaming locked-private/mine.y4m \
    "echo \"\$(find . -name '*.partial-*' | wc -l) temporary file;\" \$(find tmp -mindepth 1 -perm /077 -printf '%P %m;')" as_user)"
check "0600 file in a folder that takes no new file: the new content" "FRAME" \
  "$(sed -n 2p locked-private/mine.y4m | cut -c1-5)"
if command -v strace >/dev/null && strace -qq -o /dev/null true 2>/dev/null; then
  old_bytes private.yc48 && chmod 0600 private.yc48
  strace -f -qq -e trace=fchmod,chmod,fchmodat -o modes.txt "$morvane" resize in.yc48 private.yc48 \
    --input-size 8x4 --size 12x6
  check "0600 file: the only mode its temporary file is ever given" "0600" \
    "$(grep -o 'chmod[a-z]*(.*, 0[0-7]*)' modes.txt | grep -o '0[0-7]*)$' | tr -d ')' | sort -u | tr '\n' ' ' | sed 's/ $//')"
else
  echo "skipped: the modes a 0600 file's temporary file is given (no strace, or no ptrace here)"
fi

# A name as long as a name may be (255 bytes): its temporary name must fit too.
long_name=$(printf 'n%.0s' $(seq 250)).yc48
resize "$long_name"
check "a 255-byte name: exit status" 0 $?
check "a 255-byte name: the frame" same "$(same "$long_name")"

# Hard links: every name sees the new content, and they stay one file.
old_bytes linked-a.yc48
ln linked-a.yc48 linked-b.yc48
resize linked-a.yc48
check "hard link: exit status" 0 $?
check "hard link: the other name sees the frame" same "$(same linked-b.yc48)"
check "hard link: still one file with two names" "2 same" \
  "$(stat -c %h linked-a.yc48) $([ "$(stat -c %i linked-a.yc48)" = "$(stat -c %i linked-b.yc48)" ] && echo same)"

# Two runs filling one hard-linked file at once: it ends whole, with one
# run's content. The first run's copy is slowed by strace after its first
# block, and the second runs to its end meanwhile.
if command -v strace >/dev/null && strace -qq -o /dev/null true 2>/dev/null; then
  "$morvane" resize in.yc48 big-ref.yc48 --input-size 8x4 --size 250x240
  old_bytes shared-a.yc48 && ln shared-a.yc48 shared-b.yc48
  # (LeakSanitizer, in a sanitizer build, cannot run under ptrace.)
  ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o /dev/null -e trace=pwrite64 \
    -e inject=pwrite64:delay_exit=300000 -- "$morvane" resize in.yc48 shared-a.yc48 --input-size 8x4 --size 250x240 &
  slow=$!
  for _ in $(seq 200); do
    [ "$(head -c 3 shared-b.yc48)" != old ] && break
    sleep 0.05
  done
  resize shared-b.yc48
  fast=$?
  wait "$slow"
  check "two runs filling one file: both end well" "0 0" "$? $fast"
  check "two runs filling one file: one run's whole content" whole \
    "$({ cmp -s shared-a.yc48 ref.yc48 || cmp -s shared-a.yc48 big-ref.yc48; } && echo whole)"
else
  echo "skipped: two runs filling one file (no strace, or no ptrace here)"
fi

# A full disk while a hard-linked file is filled: the room is taken first, so
# the old content survives. (A small tmpfs in a mount namespace of its own.)
if unshare -m true 2>/dev/null; then
  mkdir -p small
  unshare -m bash -c '
    mount -t tmpfs -o size=64k tmpfs small || exit 9
    printf "old content\n" >small/a.yc48 && ln small/a.yc48 small/b.yc48
    "$0" resize in.yc48 small/a.yc48 --input-size 8x4 --size 80x80 2>full.txt
    echo "$? $(cat small/b.yc48) $(ls small | tr "\n" " ")" >full-disk.txt' "$morvane"
  check "hard link on a full disk: refused, the old content kept, nothing left" \
    "1 old content a.yc48 b.yc48 " "$(cat full-disk.txt)"
else
  echo "skipped: the full-disk case (needs a mount namespace)"
fi

# What the shell would refuse is refused, and what it would write is written.
mkdir -p shared && chmod 0777 shared
old_bytes shared/read-only.yc48
chmod 0444 shared/read-only.yc48
cp in.yc48 ref.yc48 shared/ && chmod 0644 shared/in.yc48 shared/ref.yc48
as_user sh -c 'echo x >shared/read-only.yc48' 2>/dev/null
check "read-only: the shell refuses it too" 2 $?
(cd shared && as_user "$morvane" resize in.yc48 read-only.yc48 --input-size 8x4 --size 12x6) 2>refused.txt
check "read-only: exit status" 1 $?
check "read-only: says why" "morvane: read-only.yc48: cannot write: Permission denied" "$(cat refused.txt)"
check "read-only: left as it was" "old content" "$(cat shared/read-only.yc48)"
mkdir -p locked && old_bytes locked/writable.yc48 && chmod 0666 locked/writable.yc48 && chmod 0755 locked
as_user "$morvane" resize shared/in.yc48 locked/writable.yc48 --input-size 8x4 --size 12x6
check "writable file in a folder that takes no new file: exit status" 0 $?
check "writable file in a folder that takes no new file: the frame" same "$(same locked/writable.yc48)"
old_bytes shared/theirs.yc48
chmod 0666 shared/theirs.yc48
as_user "$morvane" resize shared/in.yc48 shared/theirs.yc48 --input-size 8x4 --size 12x6
check "another user's file you may write: exit status" 0 $?
check "another user's file you may write: the frame" same "$(same shared/theirs.yc48)"
check "another user's file you may write: keeps its owner and mode" "$(id -un) 666" \
  "$(stat -c '%U %a' shared/theirs.yc48)"
mkdir -p folder.yc48
resize folder.yc48 2>folder.txt
check "a folder: refused" "1 morvane: folder.yc48: is a folder, not a file" "$? $(cat folder.txt)"

check "no temporary file or folder left anywhere" "" "$(find . -name '*.partial-*' -o -name 'morvane-*' 2>/dev/null)"
echo "$failures failed"
[ "$failures" -eq 0 ]
