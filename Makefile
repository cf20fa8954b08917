# The two commands a newcomer needs:   make run   and   make test
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
FUZZ_SECONDS ?= 20

.PHONY: all setup setup-run configure build run test test-sanitize fuzz fuzz-run deb deb-check format-check clean

all: build

# Package lists in tools/packages/: running and building need run.txt and build.txt; the
# tests, fuzzers and package checks also test.txt. make run never installs a sound server.
setup-run:
	@tools/setup.sh run build

setup:
	@tools/setup.sh run build test

configure:
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) >/dev/null

build: setup
	@$(MAKE) --no-print-directory configure
	@cmake --build $(BUILD) -j$(JOBS)

# Only the program, not the test suite.
run: setup-run
	@$(MAKE) --no-print-directory configure
	@cmake --build $(BUILD) -j$(JOBS) --target vemo
	./$(BUILD)/app/vemo $(ARGS)

test: build
	tools/with-pulse.sh ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	@$(MAKE) --no-print-directory fuzz-run

# The whole suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: setup
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEMO_SANITIZE=ON $(CMAKE_ARGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    tools/with-pulse.sh ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS) -LE nosanitize

# libFuzzer targets (clang); fuzz-run gives each a short run over its seed corpus.
fuzz: setup
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DVEMO_FUZZ=ON $(CMAKE_ARGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target vemo_fuzzers

fuzz-run: fuzz
	@tools/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Every C++ file of the project as clang-format makes it with .clang-format (a few seconds).
format-check: setup
	@tools/check-format.sh

# A Debian package of the program alone (build/vemo_VERSION_ARCH.deb).
deb: setup-run
	@$(MAKE) --no-print-directory configure
	@cmake --build $(BUILD) -j$(JOBS) --target vemo vemo_manpage
	@cd $(BUILD) && cpack -G DEB

# The package installed into a fresh Debian 12 root (mmdebstrap, from Debian's packages) and
# run there; it downloads a base system, so neither make test nor CI runs it.
deb-check: deb setup
	tools/check-deb-clean-root.sh $(BUILD)/vemo_*.deb

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
