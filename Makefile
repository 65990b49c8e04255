# Thin wrapper over CMake: the README's commands live here.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
WINDOWS_BUILD ?= build-windows
DEB_BUILD  ?= $(BUILD)/deb-build
DEB_ARM64_BUILD ?= $(BUILD)/deb-arm64-build
VERSION    := $(shell sed -n 's/^project.tabellone VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
FUZZ_SECONDS ?= 60
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: deps build test asan fuzz fuzz-datafile fuzz-build bench clean preview play screenshots operator-report-check windows windows-test deb deb-test deb-arm64

deps:
	scripts/install-deps

# WERROR=ON (as `make test` sets it) makes a compiler warning fail the build.
build: deps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	$(if $(filter ON,$(WERROR)),cmake -S . -B $(BUILD) -DTABELLONE_WERROR=ON >/dev/null)
	cmake --build $(BUILD)

test: deps
	$(MAKE) build WERROR=ON
	ctest --test-dir $(BUILD) --output-on-failure

# Unit tests only (label "unit") under AddressSanitizer and UBSan.
asan: deps
	@test -f $(ASAN_BUILD)/CMakeCache.txt || cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DTABELLONE_SANITIZE=ON
	cmake -S . -B $(ASAN_BUILD) -DTABELLONE_WERROR=ON >/dev/null
	cmake --build $(ASAN_BUILD)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(ASAN_BUILD) -L unit --output-on-failure

# The JPEG decoder under libFuzzer (clang, ASan, UBSan) for FUZZ_SECONDS, one
# process, from the committed seeds; new inputs stay in $(FUZZ_BUILD)/corpus,
# crashes are written to fuzz/crashers/ (replayed by the unit tests).
fuzz: fuzz-build
	cmake --build $(FUZZ_BUILD) --target jpeg_fuzzer
	mkdir -p $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/fuzz/jpeg_fuzzer $(FUZZ_BUILD)/corpus fuzz/corpus -max_total_time=$(FUZZ_SECONDS) -max_len=16384 -timeout=30 -artifact_prefix=fuzz/crashers/ -print_final_stats=1

# The datafile check under libFuzzer the same way: each input the check accepts
# is loaded by the library's loader too; an allocation above 256 MB is a crash.
# Seeds in fuzz/datafile_corpus/ (made by fuzz/make_datafile_seeds.cpp),
# crashes to fuzz/datafile_crashers/ (replayed by the unit tests).
fuzz-datafile: fuzz-build
	cmake --build $(FUZZ_BUILD) --target datafile_fuzzer
	mkdir -p $(FUZZ_BUILD)/datafile_corpus fuzz/datafile_crashers
	$(FUZZ_BUILD)/fuzz/datafile_fuzzer $(FUZZ_BUILD)/datafile_corpus fuzz/datafile_corpus -max_total_time=$(FUZZ_SECONDS) -max_len=32768 -timeout=30 -malloc_limit_mb=256 -artifact_prefix=fuzz/datafile_crashers/ -print_final_stats=1

# The clang build the fuzz targets live in.
fuzz-build: deps
	@test -f $(FUZZ_BUILD)/CMakeCache.txt || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTABELLONE_SANITIZE=ON -DTABELLONE_FUZZ=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link

# The decoder's speed beside libjpeg-turbo, in one process: the ten backgrounds
# of graphics.dat and sixteen generated pictures, each figure a settled median.
bench: deps
	$(MAKE) build
	$(BUILD)/bench/jpeg_bench

# PNGs of every picture and sprite, and a contact sheet, into $(BUILD)/preview/.
preview:
	$(MAKE) build
	cmake --build $(BUILD) --target content_preview

# Plays the game in $(BUILD)/play/, beside its datafiles; state.dat and
# players.txt stay there between runs. Needs an X display.
play:
	$(if $(DISPLAY),,$(error make play needs a display, and DISPLAY is not set))
	scripts/install-deps
	$(MAKE) build
	cd $(BUILD)/play && $(abspath $(BUILD))/tabellone

# One scripted pass under Xvfb, a PNG of each screen into $(BUILD)/screens/.
screenshots: deps
	$(MAKE) build
	python3 tests/e2e/run_e2e.py --build-dir $(BUILD) --screenshots $(BUILD)/screens

# The operator's closing report of a played folder printed by headless Chromium:
# PDF, its first page as PNG and a screenshot into $(BUILD)/operator-report/.
# Needs chromium and poppler-utils, which scripts/install-deps installs when it can.
operator-report-check: deps
	@command -v chromium >/dev/null && command -v pdftotext >/dev/null || { echo "operator-report-check needs chromium and poppler-utils, which could not be installed"; exit 1; }
	$(MAKE) build
	python3 tests/e2e/run_e2e.py --build-dir $(BUILD) operator_report_prints_on_a4

# The game cross-built for 64-bit Windows: tabellone.exe, decode-jpeg.exe, the
# installer and the zip into $(WINDOWS_BUILD)/. The Linux build supplies the
# datafiles; the libraries built for Windows are kept in
# ~/.cache/tabellone-windows (TABELLONE_WINDOWS_CACHE), built on first use.
windows: deps
	scripts/install-windows-deps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) --target game_content decode-jpeg dat-object
	scripts/windows/configure $(WINDOWS_BUILD) $(BUILD)
	cmake --build $(WINDOWS_BUILD)

# The Windows build's tests under Wine: each unit test program once, the
# corpus replay, the .exe's resources, the installer and the end-to-end
# scenarios that make sense there.
windows-test: windows
	ctest --test-dir $(WINDOWS_BUILD) --output-on-failure

# The Debian package $(BUILD)/tabellone_VERSION_amd64.deb, from a build of its
# own with Debian's build flags (hardening) and without the tests; lintian
# must find nothing to say.
deb: deps
	scripts/install-deb-deps
	packaging/debian/configure amd64 $(DEB_BUILD)
	cmake --build $(DEB_BUILD) -j2 --target tabellone tabellone-operatore game_content
	@mkdir -p $(BUILD)
	packaging/debian/build-deb amd64 $(DEB_BUILD) $(DEB_BUILD)/play $(BUILD)
	lintian --fail-on error,warning $(BUILD)/tabellone_$(VERSION)_amd64.deb

# The package installed as a user gets it: one pass through the launcher in
# Xvfb, the records in the records folder, and kept when the package goes.
deb-test: deb
	$(MAKE) build
	python3 tests/package/package_test.py --build-dir $(BUILD) $(BUILD)/tabellone_$(VERSION)_amd64.deb

# The same package for arm64, cross-built against the arm64 libraries of
# Debian unpacked under $(DEB_ARM64_BUILD)/sysroot; the unit tests run under
# qemu-user first. The datafiles come from the amd64 package build.
deb-arm64: deb
	scripts/install-deb-deps arm64
	packaging/debian/configure arm64 $(DEB_ARM64_BUILD)
	cmake --build $(DEB_ARM64_BUILD) -j2
	ctest --test-dir $(DEB_ARM64_BUILD) -L unit --output-on-failure
	packaging/debian/build-deb arm64 $(DEB_ARM64_BUILD) $(DEB_BUILD)/play $(BUILD) $(DEB_ARM64_BUILD)
	lintian --fail-on error,warning $(BUILD)/tabellone_$(VERSION)_arm64.deb

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD)
