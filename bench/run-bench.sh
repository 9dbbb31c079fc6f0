#!/bin/sh
# `make bench`: the logger and the command-line tool measured on this
# machine, printed as the table of the performance goals followed by the
# details. Absolute times drift with the machine and its load, so the run
# also times two baselines over the same bytes (raw fwrite, snprintf) and
# prints the logger's time as a ratio to each.
#
# Runs (each a process of its own, so that each peak RSS is its own):
#   library   the driver at 100k and 1M steps: throughput, bytes per step,
#             LogEvent latency, peak RSS, baselines, the caller's dictionary;
#   starved   the same with the writer thread starved (SCHED_IDLE on the
#             logging thread's CPU; see bench/WriterStarvation.h): RSS;
#   replay    `annalist replay` of the same run as 100k- and 1M-line event
#             logs: lines per second, whole command.
# Usage: run-bench.sh BUILD_FOLDER. BENCH_SMALL / BENCH_LARGE change the two
# sizes (default 100000 and 1000000).
set -eu
build=${1:-build/bench}
small=${BENCH_SMALL:-100000}
large=${BENCH_LARGE:-1000000}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
bench=$build/bench/annalist_bench
tool=$build/tools/annalist/annalist
work=$build/runs

for program in "$bench" "$tool"; do
    [ -x "$program" ] || { echo "bench: $program is not built" >&2; exit 1; }
done
rm -rf "$work"
mkdir -p "$work"

# ---- helpers ----
value() { sed -n "s/^$2=//p" "$work/$1.txt"; }
# number FORMAT VALUE...: printf through awk (floating point).
number() { awk -v f="$1" -v a="${2:-0}" -v b="${3:-0}" 'BEGIN { printf f, a, b }'; }
kilo() { awk -v x="$1" 'BEGIN { if (x >= 1e6) printf "%.2f M", x / 1e6; else if (x >= 1e3) printf "%.1f k", x / 1e3; else printf "%.0f", x }'; }
mib() { awk -v kb="$1" 'BEGIN { printf "%.1f MiB", kb / 1024 }'; }
label() { awk -v n="$1" 'BEGIN { if (n >= 1e6 && n % 1e6 == 0) printf "%dM", n / 1e6; else if (n >= 1e3 && n % 1e3 == 0) printf "%dk", n / 1e3; else printf "%d", n }'; }

# library NAME STEPS [OPTIONS...]
library() {
    name=$1
    steps=$2
    shift 2
    echo "  $name: $(label "$steps") steps $*" >&2
    if ! "$bench" run --steps "$steps" --results "$work/$name-results" "$@" >"$work/$name.txt" 2>"$work/$name.err"; then
        cat "$work/$name.err" >&2
        echo "bench: the $name run failed" >&2
        exit 1
    fi
    rm -rf "$work/$name-results"
}

# replay NAME STEPS: the run as an event log, replayed; writes NAME.txt.
replay() {
    name=$1
    steps=$2
    "$bench" events --steps "$steps" -o "$work/$name.jsonl" >"$work/$name.txt"
    lines=$(value "$name" lines)
    echo "  $name: $(label "$lines") lines" >&2
    start=$(date +%s.%N)
    if ! "$tool" replay "$work/$name.jsonl" -o "$work/$name-results" >"$work/$name.out" 2>&1; then
        cat "$work/$name.out" >&2
        echo "bench: annalist replay failed" >&2
        exit 1
    fi
    end=$(date +%s.%N)
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
    echo "seconds=$seconds" >>"$work/$name.txt"
    awk -v l="$lines" -v s="$seconds" 'BEGIN { printf "lines_per_s=%.0f\n", l / s }' >>"$work/$name.txt"
    rm -rf "$work/$name-results" "$work/$name.jsonl"
}

# ---- the machine ----
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
memory=$(awk '/^MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
commit=$(git -C "$source_dir" rev-parse --short HEAD 2>/dev/null || echo unknown)
load_before=$(sed 's/ [0-9]*\/.*//' /proc/loadavg)

echo "Measuring (a few minutes)..." >&2
library library-small "$small"
library library-large "$large"
library starved-small "$small" --starve-writer --no-baselines --dictionary-loop 0
library starved-large "$large" --starve-writer --no-baselines --dictionary-loop 0
replay replay-small "$small"
replay replay-large "$large"
load_after=$(sed 's/ [0-9]*\/.*//' /proc/loadavg)

S=$(label "$small")
L=$(label "$large")
echo ""
echo "Annalist benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), commit $commit"
echo "machine: $cpu, $(nproc) CPUs, $memory; $(uname -sr); $(g++ --version | head -n 1)"
echo "load average (1, 5, 15 min): $load_before before, $load_after after"
echo ""

# ---- the goals ----
lib_rate=$(value library-large steps_per_s)
lib_alone=$(value library-large library_steps_per_s)
p99=$(value library-large latency_p99_us)
p999=$(value library-large latency_p999_us)
starved_small_kb=$(value starved-small peak_rss_less_array_kb)
starved_large_kb=$(value starved-large peak_rss_less_array_kb)
starved_growth=$(awk -v a="$starved_small_kb" -v b="$starved_large_kb" -v s="$small" -v l="$large" \
    'BEGIN { printf "%.0f", (b - a) * 1024 / (l - s) }')
replay_rate=$(value replay-large lines_per_s)
printf '| %-86s | %-44s | %s |\n' "figure" "measured" "goal"
printf '|%s|%s|%s|\n' "----------------------------------------------------------------------------------------" \
    "----------------------------------------------" "------"
printf '| %-86s | %-44s | %s |\n' \
    "library throughput, $L steps, 8-key description, end to end into a closed Results.xml" \
    "$(kilo "$lib_rate") steps/s ($(kilo "$lib_alone")/s without the dictionary)" ">= 1.0 M/s"
printf '| %-86s | %-44s | %s |\n' "instructions per step, all library threads (callgrind)" \
    "see make bench-instructions" "<= 8,000"
printf '| %-86s | %-44s | %s |\n' "LogEvent p99 / p99.9 on the caller's thread ($L steps)" \
    "$(number '%.1f us / %.1f us' "$p99" "$p999")" "<= 5 us / <= 50 us"
printf '| %-86s | %-44s | %s |\n' "memory with the writer starved (idle priority, one CPU): peak RSS" \
    "$S: $(mib "$starved_small_kb"), $L: $(mib "$starved_large_kb") (+$starved_growth B/step)" "bounded"
printf '| %-86s | %-44s | %s |\n' "annalist replay, $L lines" "$(kilo "$replay_rate") lines/s" ">= 250 k lines/s"

# ---- details ----
echo ""
echo "Library, end to end (first LogEvent to Results.xml closed; the caller builds each description):"
printf '  %-44s %14s %14s\n' "" "$S steps" "$L steps"
row() { printf '  %-44s %14s %14s\n' "$1" "$2" "$3"; }
both() { row "$1" "$(number "$2" "$(value library-small "$3")")" "$(number "$2" "$(value library-large "$3")")"; }
both "seconds" '%.2f' seconds
both "steps/s" '%.0f' steps_per_s
both "steps/s without the caller's dictionary" '%.0f' library_steps_per_s
both "Results.xml bytes per step" '%.1f' bytes_per_step
both "LogEvent latency p50 (us)" '%.1f' latency_p50_us
both "LogEvent latency p99 (us)" '%.1f' latency_p99_us
both "LogEvent latency p99.9 (us)" '%.1f' latency_p999_us
both "LogEvent latency max (us)" '%.0f' latency_max_us
both "peak RSS (KiB, latency array excluded)" '%.0f' peak_rss_less_array_kb
both "caller's dictionary, build + free (ns/step)" '%.0f' dictionary_ns_per_step
echo ""
echo "Baselines over the same bytes, in the same run (ratio: logger time / baseline time):"
both "fwrite in 64 KiB chunks: steps/s" '%.0f' fwrite_steps_per_s
both "  logger / fwrite" '%.1f' fwrite_ratio
both "snprintf per element, 64 KiB buffer: steps/s" '%.0f' snprintf_steps_per_s
both "  logger / snprintf" '%.1f' snprintf_ratio
both "  elements (snprintf calls) per step" '%.1f' elements_per_step
echo ""
echo "Writer starved (SCHED_IDLE, pinned with the logging thread to one CPU):"
starved_row() {
    printf '  %-44s %14s %14s\n' "$1" "$(value starved-small "$2")" "$(value starved-large "$2")"
}
starved_row "RSS before the first LogEvent (KiB)" rss_before_kb
starved_row "RSS after 10k steps (KiB)" rss_at_10000_kb
printf '  %-44s %14s %14s\n' "RSS after the last step (KiB)" "$(value starved-small "rss_at_${small}_kb")" \
    "$(value starved-large "rss_at_${large}_kb")"
starved_row "peak RSS (KiB, latency array excluded)" peak_rss_less_array_kb
starved_row "steps/s" steps_per_s
echo ""
echo "annalist replay (the same run as an event log; the whole command):"
printf '  %-44s %14s %14s\n' "" "$(label "$(value replay-small lines)") lines" "$(label "$(value replay-large lines)") lines"
printf '  %-44s %14s %14s\n' "seconds" "$(value replay-small seconds)" "$(value replay-large seconds)"
printf '  %-44s %14s %14s\n' "lines/s" "$(value replay-small lines_per_s)" "$(value replay-large lines_per_s)"
echo ""
echo "Every figure of each run: $work/*.txt"
