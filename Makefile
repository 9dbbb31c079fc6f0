# The front door. `make test` installs what is missing, then builds and tests
# every target: Linux, Linux with sanitizers (ASan+UBSan, TSan), and Windows
# (32-bit, run under Wine; 64-bit, built). `make demo` installs only what the
# Linux build needs and replays the bundled example run. `make bench` and
# `make bench-instructions` measure the logger (not part of `make test`).
#
# JOBS=N limits every build and test run to N parallel jobs (default: the
# number of cores), e.g. `make test JOBS=2` on a shared machine.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
export JOBS

.PHONY: all test demo bench bench-instructions bench-build deps deps-linux deps-windows deps-fuzz check-sources \
        linux linux-asan linux-tsan windows-x86 windows-x64 fuzz clean

all: test

# DRY_RUN=1 lists what would be installed instead of installing it.
DEPS_FLAGS = $(if $(DRY_RUN),--dry-run)

deps:
	@scripts/install-deps.sh $(DEPS_FLAGS) all

deps-linux:
	@scripts/install-deps.sh $(DEPS_FLAGS) linux

deps-windows:
	@scripts/install-deps.sh $(DEPS_FLAGS) windows

deps-fuzz:
	@scripts/install-deps.sh $(DEPS_FLAGS) fuzz

check-sources:
	@scripts/check-sources.sh

linux: deps-linux
	@scripts/build-and-test.sh linux

linux-asan: deps-linux
	@scripts/build-and-test.sh linux-asan

linux-tsan: deps-linux
	@scripts/build-and-test.sh linux-tsan

windows-x86: deps
	@scripts/build-and-test.sh windows-x86

windows-x64: deps
	@scripts/build-and-test.sh windows-x64 build-only

test: deps check-sources
	@rm -f build/test-counts
	@scripts/build-and-test.sh linux
	@scripts/build-and-test.sh linux-asan
	@scripts/build-and-test.sh linux-tsan
	@scripts/build-and-test.sh windows-x86
	@scripts/build-and-test.sh windows-x64 build-only
	@scripts/fuzz.sh smoke || { echo "make test: FAILED at the fuzz smoke." >&2; exit 1; }
	@scripts/test-counts.sh

# Fuzzes every target of fuzz/ for FUZZ_SECONDS seconds each (default 60):
# `make fuzz FUZZ_SECONDS=600`. Findings land in build/fuzz/findings/.
fuzz: deps-fuzz
	@scripts/fuzz.sh run

# Builds the command-line tool, replays the bundled example run into
# ./demo-results (emptied first), printing the replay's summary, puts in the
# pictures the host saved during the recorded run, and writes the HTML
# report demo-results/report.html.
demo: deps-linux
	@cmake --preset linux >build-demo.configure.log 2>&1 || { cat build-demo.configure.log >&2; exit 1; }
	@rm -f build-demo.configure.log
	@cmake --build --preset linux --target annalist_tool -j $(JOBS)
	@rm -rf demo-results
	@echo ""
	@build/linux/tools/annalist/annalist replay examples/flight-booking.jsonl -o demo-results
	@cp -R examples/flight-booking-pictures/. demo-results/
	@echo ""
	@build/linux/tools/annalist/annalist report demo-results
	@echo ""
	@echo "Open demo-results/report.html in a browser. demo-results/Results.xml is the logger's report"
	@echo "and demo-results/GeneralInfo.ini its summary; the action and iteration folders hold what the"
	@echo "steps saved."

# The benchmark (bench/): the driver and the tool built by the `bench` preset
# (-O2 -g, no sanitizers) into build/bench. `make bench` prints the figures of
# the performance goals with in-run baselines; `make bench-instructions` runs
# the driver under callgrind (valgrind) and prints instructions per step.
bench-build: deps-linux
	@cmake --preset bench >build-bench.configure.log 2>&1 || { cat build-bench.configure.log >&2; exit 1; }
	@rm -f build-bench.configure.log
	@cmake --build --preset bench -j $(JOBS)

bench: bench-build
	@bench/run-bench.sh build/bench

bench-instructions: bench-build
	@bench/run-instructions.sh build/bench

clean:
	rm -rf build demo-results
