#!/bin/sh
# Runs the libFuzzer targets of fuzz/ (the fuzz preset: clang with
# AddressSanitizer and UndefinedBehaviorSanitizer), building them first.
# Usage: scripts/fuzz.sh run|smoke [TARGET...]
#   run    fuzzes each target for FUZZ_SECONDS seconds (default 60), starting
#          from its seed corpus (fuzz/corpus/TARGET); inputs that reach new
#          code are kept in build/fuzz/corpus-work/TARGET, crashes in
#          build/fuzz/findings/TARGET (`make fuzz`)
#   smoke  runs each target over its seed corpus and fuzzes it for
#          FUZZ_SMOKE_SECONDS seconds more (default 20): a regression check
#          that leaves the corpus as it is (`make test`)
# Targets with a dictionary of their format's words (fuzz/dict/TARGET.dict)
# are given it. A finding is fixed and then added to fuzz/corpus/TARGET as a
# regression input.
set -u
cd "$(dirname "$0")/.."
mode=${1:-run}
[ $# -gt 0 ] && shift
case "$mode" in
    run) seconds=${FUZZ_SECONDS:-60} ;;
    smoke) seconds=${FUZZ_SMOKE_SECONDS:-20} ;;
    *) echo "usage: $0 run|smoke [TARGET...]" >&2; exit 2 ;;
esac

echo "==> [fuzz] configure"
cmake --preset fuzz >build-fuzz.configure.log 2>&1 || { cat build-fuzz.configure.log >&2; echo "fuzz: configure failed" >&2; exit 1; }
rm -f build-fuzz.configure.log
echo "==> [fuzz] build"
cmake --build --preset fuzz --target annalist_fuzz_targets -j "${JOBS:-$(nproc)}" || { echo "fuzz: build failed" >&2; exit 1; }

targets=$*
[ -n "$targets" ] || targets=$(ls fuzz/corpus)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/annalist-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# The targets never touch the user's registry, never wait for an answer.
export ANNALIST_REGISTRY="$scratch/registry"
export ANNALIST_MESSAGEBOX_ANSWER=cancel
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
failed=""
for target in $targets; do
    program=build/fuzz/fuzz/$target
    [ -x "$program" ] || { echo "fuzz: no target $target" >&2; failed="$failed $target"; continue; }
    findings=build/fuzz/findings/$target
    mkdir -p "$findings"
    if [ "$mode" = run ]; then
        work=build/fuzz/corpus-work/$target
    else
        work=$scratch/$target
    fi
    mkdir -p "$work"
    echo "==> [fuzz] $target: $seconds s over $(ls fuzz/corpus/$target | wc -l) seed inputs"
    log=$scratch/$target.log
    dict=
    [ -f "fuzz/dict/$target.dict" ] && dict="-dict=fuzz/dict/$target.dict"
    # The smoke starts from the same seed each time, so that a red build
    # points at a change, not at chance.
    seed=
    [ "$mode" = smoke ] && seed="-seed=1"
    if "$program" $dict $seed -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -max_len=65536 \
        -artifact_prefix="$findings/" -print_final_stats=1 "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
        grep -E "^stat::number_of_executed_units|^stat::new_units_added" "$log" | sed 's/^/    /'
    else
        tail -n 40 "$log" >&2
        echo "fuzz: $target FAILED; the input is in $findings/" >&2
        failed="$failed $target"
    fi
done
if [ -n "$failed" ]; then
    echo "fuzz: failed:$failed" >&2
    exit 1
fi
echo "==> [fuzz] ok"
