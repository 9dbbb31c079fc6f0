# The front door. `make test` installs what is missing, then builds and tests
# every target: Linux, Linux with sanitizers (ASan+UBSan, TSan), and Windows (32-bit, run under
# Wine; 64-bit, built). `make demo` replays the bundled example run.

.PHONY: all test demo deps check-sources linux linux-asan linux-tsan windows-x86 windows-x64 clean

all: test

deps:
	@scripts/install-deps.sh

check-sources:
	@scripts/check-sources.sh

linux: deps
	@scripts/build-and-test.sh linux

linux-asan: deps
	@scripts/build-and-test.sh linux-asan

linux-tsan: deps
	@scripts/build-and-test.sh linux-tsan

windows-x86: deps
	@scripts/build-and-test.sh windows-x86

windows-x64: deps
	@scripts/build-and-test.sh windows-x64 build-only

test: deps check-sources
	@scripts/build-and-test.sh linux
	@scripts/build-and-test.sh linux-asan
	@scripts/build-and-test.sh linux-tsan
	@scripts/build-and-test.sh windows-x86
	@scripts/build-and-test.sh windows-x64 build-only
	@echo "make test: all builds and tests passed."

clean:
	rm -rf build
