# The front door. `make test` installs what is missing, then builds and tests
# every target: Linux, Linux with sanitizers (ASan+UBSan, TSan), and Windows
# (32-bit, run under Wine; 64-bit, built). `make demo` installs only what the
# Linux build needs and replays the bundled example run.
#
# JOBS=N limits every build and test run to N parallel jobs (default: the
# number of cores), e.g. `make test JOBS=2` on a shared machine.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
export JOBS

.PHONY: all test demo deps deps-linux deps-windows check-sources linux linux-asan linux-tsan \
        windows-x86 windows-x64 clean

all: test

# DRY_RUN=1 lists what would be installed instead of installing it.
DEPS_FLAGS = $(if $(DRY_RUN),--dry-run)

deps:
	@scripts/install-deps.sh $(DEPS_FLAGS) all

deps-linux:
	@scripts/install-deps.sh $(DEPS_FLAGS) linux

deps-windows:
	@scripts/install-deps.sh $(DEPS_FLAGS) windows

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
	@scripts/test-counts.sh

# Builds the command-line tool and replays the bundled example run into
# ./demo-results (emptied first), printing the replay's summary.
demo: deps-linux
	@cmake --preset linux >build-demo.configure.log 2>&1 || { cat build-demo.configure.log >&2; exit 1; }
	@rm -f build-demo.configure.log
	@cmake --build --preset linux --target annalist_tool -j $(JOBS)
	@rm -rf demo-results
	@echo ""
	@build/linux/tools/annalist/annalist replay examples/flight-booking.jsonl -o demo-results
	@echo ""
	@echo "Open demo-results/Results.xml (the report) and demo-results/GeneralInfo.ini (its summary);"
	@echo "the action and iteration folders hold what the steps saved."

clean:
	rm -rf build demo-results
