# Sourced by the benchmark scripts. A script names its figures with `figures NAME...` first; any of
# them not printed through `figure` when it ends (a failed command, a missing or short output file,
# a time that is not a number) prints "NAME: FAILED", and the script's exit code is non-zero.
set -euo pipefail
shopt -s inherit_errexit

BENCH_FIGURES=()
declare -A BENCH_PRINTED=()

figures() {
  BENCH_FIGURES=("$@")
  trap bench_finish EXIT
}

bench_finish() {
  local rc=$? f failed=0
  for f in "${BENCH_FIGURES[@]}"; do
    [ -n "${BENCH_PRINTED[$f]:-}" ] && continue
    echo "$f: FAILED"
    failed=1
  done
  ((rc == 0 && failed)) && rc=1
  exit "$rc"
}

# figure NAME NUMERATOR DENOMINATOR [DECIMALS]: prints NAME: NUMERATOR / DENOMINATOR.
figure() {
  is_number "$2" && is_number "$3" || { echo "$1: not a time: '$2' / '$3'" >&2; return 1; }
  awk -v a="$2" -v b="$3" -v f="$1" -v d="${4:-3}" 'BEGIN { if (b <= 0) exit 1; printf "%s: %.*f\n", f, d, a / b }'
  BENCH_PRINTED[$1]=1
}

is_number() { [[ "$1" =~ ^[0-9]+(\.[0-9]+)?$ ]]; }

# keep_best VARIABLE TIME: the variable (empty at first) becomes the smaller of the two; fails when
# TIME is not a number.
keep_best() {
  is_number "$2" || { echo "not a time: '$2'" >&2; return 1; }
  local -n best=$1
  if [ -z "$best" ] || awk -v a="$2" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$2; fi
}

# checked_ms OUTPUT MIN_BYTES COMMAND...: runs the command once after removing OUTPUT and prints its
# wall time in milliseconds; fails unless the command succeeds and leaves OUTPUT with at least
# MIN_BYTES bytes.
checked_ms() {
  local out=$1 min=$2 s e
  shift 2
  rm -f "$out"
  s=$(date +%s%N)
  if ! "$@" >/dev/null 2>"$out.err"; then
    echo "failed: $* ($(tail -n 3 "$out.err"))" >&2
    return 1
  fi
  e=$(date +%s%N)
  check_output "$out" "$min" || return 1
  echo $(((e - s) / 1000000))
}

# check_output FILE MIN_BYTES: fails unless FILE holds at least MIN_BYTES bytes.
check_output() {
  local size
  size=$(stat -c %s "$1" 2>/dev/null || echo 0)
  if ((size < $2)); then
    echo "missing or short output: $1 ($size bytes, at least $2 expected)" >&2
    return 1
  fi
}
