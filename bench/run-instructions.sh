#!/bin/sh
# `make bench-instructions`: instructions per step under callgrind, per
# thread, and where they go. Instruction counts do not drift with the load of
# the machine, so they are the stable figure of the benchmark.
#
# Three runs of the driver (bench/BenchMain.cpp), each with --separate-threads:
#   steps     N steps: the writer thread's total, the inclusive cost of the
#             steps' LogEvent calls (LogStepEvent) and of the caller's
#             description work (BuildCallerDescription, FreeCallerDescription);
#   empty     0 steps: the same run's fixed costs (start-up, framing), taken
#             off the writer's and the description figures;
#   logevent  N steps collecting only inside LogStepEvent: the breakdown of
#             the logging thread's part.
# Usage: run-instructions.sh BUILD_FOLDER   (BENCH_INSTRUCTION_STEPS=N to
# change the 20,000 steps)
set -eu
build=${1:-build/bench}
steps=${BENCH_INSTRUCTION_STEPS:-20000}
bench=$build/bench/annalist_bench
work=$build/callgrind
here=$(dirname "$0")
top=30
top_self=15

command -v valgrind >/dev/null 2>&1 || { echo "bench-instructions: valgrind is missing (apt-get install valgrind)" >&2; exit 1; }
[ -x "$bench" ] || { echo "bench-instructions: $bench is not built" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"

# run NAME STEPS [VALGRIND OPTIONS...]
run() {
    name=$1
    count=$2
    shift 2
    if ! valgrind --tool=callgrind --separate-threads=yes --callgrind-out-file="$work/$name.out" "$@" \
        "$bench" run --steps "$count" --results "$work/$name-results" --no-baselines --dictionary-loop 0 \
        >"$work/$name.log" 2>&1; then
        cat "$work/$name.log" >&2
        echo "bench-instructions: the $name run failed" >&2
        exit 1
    fi
}

# The thread files of a run: the logging thread is thread 1; the writer is
# the thread that ran ReportWriterThread.
logging_file() { echo "$work/$1.out-01"; }
writer_file() {
    file=$(grep -l 'ReportWriterThread' "$work/$1".out-* | head -n 1)
    [ -n "$file" ] || { echo "bench-instructions: no writer thread in the $1 run" >&2; exit 1; }
    echo "$file"
}

total() { awk '/^totals:/ { printf "%.0f\n", $2; exit }' "$1"; }

# Instructions per function, "count<TAB>name", most first: inclusive, or
# the function's own with "self" as the second argument.
functions() { awk -v kind="${2:-inclusive}" -f "$here/callgrind-functions.awk" "$1" | sort -t "$(printf '\t')" -k1,1nr; }

# Inclusive instructions of the functions whose names match the pattern.
inclusive() { functions "$1" | awk -F '\t' -v pattern="$2" '$2 ~ pattern { sum += $1 } END { printf "%.0f\n", sum }'; }

# Calls made to the allocator in a thread file: "allocations frees".
allocator_calls() {
    awk '
        /^c?fn=\(/ {
            id = $0; sub(/^c?fn=\(/, "", id); sub(/\).*/, "", id)
            name = $0
            if (sub(/^c?fn=\([0-9]+\) /, "", name)) names[id] = name
            if ($0 ~ /^cfn=/) callee = names[id]
        }
        /^calls=/ {
            n = $0; sub(/^calls=/, "", n); sub(/ .*/, "", n)
            if (callee == "malloc" || callee == "calloc" || callee == "realloc") allocations += n
            else if (callee == "free") frees += n
        }
        END { printf "%.0f %.0f\n", allocations, frees }' "$1"
}

# Thousands grouped ("138,481"), for awk and for the shell.
awk_group='function group(x,   s, r) { s = sprintf("%.0f", x); r = ""
    while (length(s) > 3) { r = "," substr(s, length(s) - 2) r; s = substr(s, 1, length(s) - 3) }
    return s r }'
group() { awk "$awk_group"' BEGIN { print group(ARGV[1]) }' "$1"; }
per_step() { awk -v a="$1" -v n="$steps" 'BEGIN { printf "%.0f", a / n }'; }

# The top functions of a thread file, per step (inclusive, or "self" as the
# second argument), without the frames above the measured work (thread
# start-up, main, the driver's loop).
top_functions() {
    functions "$1" "${2:-inclusive}" | awk -F '\t' -v n="$steps" -v top="${3:-$top}" "$awk_group"'
        $2 ~ /^(main|\(below main\)|_start|__libc_start|clone|start_thread|\?\?\?|0x)/ { next }
        $2 ~ /(CLoggedRun::Run|anonymous namespace\)::Run\(|_State_impl|ReportWriterThread)/ { next }
        {
            name = $2
            if (length(name) > 100) name = substr(name, 1, 97) "..."
            printf "  %10s  %s\n", group($1 / n), name
            if (++shown == top) exit
        }'
}

echo "Running the driver under callgrind ($steps steps; three runs, a few minutes)..."
run steps "$steps"
run empty 0
run logevent "$steps" '--toggle-collect=*LogStepEvent*'

steps_logging=$(logging_file steps)
empty_logging=$(logging_file empty)
steps_writer=$(writer_file steps)
empty_writer=$(writer_file empty)
logevent_logging=$(logging_file logevent)

logevent=$(inclusive "$steps_logging" 'LogStepEvent')
logevent_only=$(total "$logevent_logging")
writer=$(($(total "$steps_writer") - $(total "$empty_writer")))
description=$(($(inclusive "$steps_logging" '^(BuildCallerDescription|FreeCallerDescription)[(]') -
    $(inclusive "$empty_logging" '^(BuildCallerDescription|FreeCallerDescription)[(]')))
logging_thread=$(($(total "$steps_logging") - $(total "$empty_logging")))

set -- $(allocator_calls "$logevent_logging")
logevent_allocations=$1
logevent_frees=$2
set -- $(allocator_calls "$steps_writer")
writer_allocations=$1
writer_frees=$2
set -- $(allocator_calls "$empty_writer")
writer_allocations=$((writer_allocations - $1))
writer_frees=$((writer_frees - $2))

echo ""
echo "Instructions per step (callgrind, $(group "$steps") steps, valgrind $(valgrind --version | sed 's/^valgrind-//'))"
printf '  %-58s %10s\n' "logging thread: LogEvent (the library's part)" "$(group "$(per_step "$logevent")")"
printf '  %-58s %10s\n' "writer thread" "$(group "$(per_step "$writer")")"
printf '  %-58s %10s   (goal <= 8,000)\n' "all library threads" "$(group "$(per_step $((logevent + writer)))")"
printf '  %-58s %10s\n' "caller's dictionary: build and free the description" "$(group "$(per_step "$description")")"
printf '  %-58s %10s\n' "logging thread, whole step (driver loop included)" "$(group "$(per_step "$logging_thread")")"
printf '  %-58s %10s\n' "check: collected inside LogEvent only (third run)" "$(group "$(per_step "$logevent_only")")"
echo ""
echo "Allocator calls per step (malloc/calloc/realloc, free)"
printf '  %-58s %10s %6s\n' "logging thread, inside LogEvent" "$(per_step "$logevent_allocations")" "$(per_step "$logevent_frees")"
printf '  %-58s %10s %6s\n' "writer thread" "$(per_step "$writer_allocations")" "$(per_step "$writer_frees")"
echo ""
echo "Where the logging thread's LogEvent goes (inclusive instructions per step, top $top)"
top_functions "$logevent_logging"
echo ""
echo "Where the writer thread goes (inclusive instructions per step, top $top)"
top_functions "$steps_writer"
echo ""
echo "Own instructions per step (self cost, top $top_self), logging thread inside LogEvent"
top_functions "$logevent_logging" self "$top_self"
echo ""
echo "Own instructions per step (self cost, top $top_self), writer thread"
top_functions "$steps_writer" self "$top_self"
echo ""
echo "callgrind files: $work (callgrind_annotate --inclusive=yes FILE for the full lists)"
