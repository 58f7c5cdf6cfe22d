# The two commands a user needs are `make run` and `make test`; both install
# whatever Debian packages are missing, configure and build first.
JOBS      ?= 2
BUILD     ?= build
ASAN      ?= build-asan
BENCH     ?= build-bench
FUZZ      ?= build-fuzz
WIN64     ?= build-win64
WIN32     ?= build-win32
WINE      ?= build-wine
CMAKE_ARGS ?=

.PHONY: all deps configure build test test-sanitize run bench fuzz clean windows test-windows

all: build

deps:
	@scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The Linux tests, then dovrel60.dll's clients under Wine.
test: build windows
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600
	@scripts/run-wine-tests $(BUILD) $(WIN64) $(WINE)

# dovrel60.dll for x64 and 32-bit x86, cross-built with MinGW-w64.
windows:
	@scripts/install-deps windows
	@scripts/build-windows $(WIN64) $(WIN32) $(JOBS)

# The Windows clients alone (driver.exe and the VBScript tests) under Wine.
test-windows: build windows
	@scripts/run-wine-tests $(BUILD) $(WIN64) $(WINE)

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ctest --output-on-failure -j $(JOBS) --timeout 900

run: build
	@scripts/run-pellora $(BUILD)

bench: deps
	cmake -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF $(CMAKE_ARGS)
	cmake --build $(BENCH) -j $(JOBS)
	@scripts/run-benchmarks $(BENCH)

# libFuzzer targets; FUZZ_SECONDS per target.
FUZZ_SECONDS ?= 60
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_FUZZERS=ON -DBUILD_TESTING=OFF -DSANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(FUZZ) -j $(JOBS) --target fuzzers
	@scripts/run-fuzzers $(FUZZ) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN) $(BENCH) $(FUZZ) $(WIN64) $(WIN32) $(WINE)
