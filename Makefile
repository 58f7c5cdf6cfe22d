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
WIN32EMU  ?= build-win32-emu
COVER     ?= build-coverage
PKGTEST   ?= build-package-tests
CMAKE_ARGS ?=
# The builds that tests run in treat warnings as errors; a plain cmake
# configure does not.
STRICT    := -DWARNINGS_AS_ERRORS=ON

.PHONY: all help deps configure build test test-sanitize run bench fuzz coverage clean windows test-windows test-win32-emulated packages test-packages

all: build

help:
	@echo "make run            install what is missing, build, open Pellora on the bundled example"
	@echo "make test           install, build (Linux and the Windows DLLs), run every test, Wine clients included"
	@echo "make build          configure and build in $(BUILD)/ (warnings are errors)"
	@echo "make test-sanitize  the Linux tests under AddressSanitizer and UndefinedBehaviorSanitizer in $(ASAN)/"
	@echo "make windows        cross-build dovrel60.dll, pellora.exe and pellora-export.exe (x64 and x86) with MinGW-w64 in $(WIN64)/ and $(WIN32)/"
	@echo "make test-windows   the Windows tests alone under Wine (dovrel60's clients, Pellora's tests and UI driver)"
	@echo "make test-win32-emulated  by hand, not in CI: the 32-bit clients and pellora-export.exe in an emulated 32-bit Wine ($(WIN32EMU)/, slow)"
	@echo "make packages       the Debian package and the Windows installers (x64, x86) in $(BUILD)/packages/"
	@echo "make test-packages  the package tests alone: lintian, dpkg -i/-r, msiexec under Wine"
	@echo "make bench          Release build with the Google Benchmark programs, and run them ($(BENCH)/)"
	@echo "make fuzz           every libFuzzer target for FUZZ_SECONDS each (default $(FUZZ_SECONDS)); findings in $(FUZZ)/findings/"
	@echo "make coverage       the Linux tests in a coverage build, then line coverage per folder ($(COVER)/)"
	@echo "make clean          remove every build folder"
	@echo "Variables: JOBS (default 2), CMAKE_ARGS (extra cmake options), FUZZ_SECONDS, BENCH_ARGS"

deps:
	@scripts/install-deps

# The benchmark programs are built with everything else, so that a change
# that breaks one fails the build; only make bench runs them.
configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_BENCHMARKS=ON $(STRICT) $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The Linux tests, then the Windows programs under Wine, then the packages
# as users install them.
test: build windows packages
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600
	@scripts/run-wine-tests $(BUILD) $(WIN64) $(WINE)
	@scripts/test-deb $(BUILD) $(PKGTEST)
	@scripts/test-msi $(BUILD)/packages $(PKGTEST) $(WIN64)

# dovrel60.dll, pellora.exe and pellora-export.exe for x64 and 32-bit x86,
# cross-built with MinGW-w64.
windows:
	@scripts/install-deps windows
	@scripts/build-windows $(WIN64) $(WIN32) $(JOBS)

# The Windows tests alone under Wine: dovrel60's clients (driver.exe, the
# VBScript tests) and Pellora's (its core tests, the export, the UI driver).
test-windows: build windows
	@scripts/run-wine-tests $(BUILD) $(WIN64) $(WINE)

# The 32-bit builds' clients (driver.exe, the VBScript tests) and
# pellora-export.exe's parity cases in a 32-bit Wine of a Debian i386
# chroot, emulated with qemu-i386: by hand, not in make test (a run takes
# many minutes; the first also makes the chroot).
test-win32-emulated: build windows
	@scripts/install-deps windows emulated
	@scripts/run-win32-emulated $(BUILD) $(WIN32) $(WIN32EMU)

# The Debian package (CPack) and the two Windows installers (wixl), built
# from $(BUILD), $(WIN64) and $(WIN32) into $(BUILD)/packages/.
packages: build windows
	@scripts/install-deps packages
	rm -rf $(BUILD)/_CPack_Packages   # CPack leaves an earlier package's files there
	cd $(BUILD) && { cpack -G DEB >cpack.log 2>&1 || { cat cpack.log; exit 1; }; }
	@ls $(BUILD)/packages/*.deb
	@scripts/build-msi $(BUILD) $(WIN64) $(WIN32) $(BUILD)/packages

# The packages as users install them: the .deb with lintian and dpkg, the
# installers with msiexec under Wine and with msiinfo.
test-packages: packages
	@scripts/test-deb $(BUILD) $(PKGTEST)
	@scripts/test-msi $(BUILD)/packages $(PKGTEST) $(WIN64)

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON $(STRICT) $(CMAKE_ARGS)
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ctest --output-on-failure -j $(JOBS) --timeout 900

run: build
	@scripts/run-pellora $(BUILD)

bench: deps
	cmake -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF $(CMAKE_ARGS)
	cmake --build $(BENCH) -j $(JOBS)
	@scripts/run-benchmarks $(BENCH)

# libFuzzer targets; FUZZ_SECONDS per target. Every target runs; the command
# fails at the end, naming the targets that found something.
FUZZ_SECONDS ?= 60
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_FUZZERS=ON -DBUILD_TESTING=OFF -DSANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(FUZZ) -j $(JOBS) --target fuzzers
	@scripts/run-fuzzers $(FUZZ) $(FUZZ_SECONDS)

# Line coverage of the Linux tests, per folder (gcovr from Debian).
coverage: deps
	@scripts/install-deps coverage
	cmake -S . -B $(COVER) -DCMAKE_BUILD_TYPE=Debug -DCOVERAGE=ON $(CMAKE_ARGS)
	cmake --build $(COVER) -j $(JOBS)
	find $(COVER) -name '*.gcda' -delete
	cd $(COVER) && ctest -j $(JOBS) --timeout 900 --output-on-failure
	@scripts/coverage-summary $(COVER)

clean:
	rm -rf $(BUILD) $(ASAN) $(BENCH) $(FUZZ) $(COVER) $(WIN64) $(WIN32) $(WINE) $(WIN32EMU) $(PKGTEST)
