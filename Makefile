# Thin wrapper over CMake: the README's commands live here.
BUILD      ?= build
ASAN_BUILD ?= build-asan
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: deps build test asan clean preview

deps:
	scripts/install-deps

build:
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD)

test: deps
	$(MAKE) build
	ctest --test-dir $(BUILD) --output-on-failure

# Unit tests only (label "unit") under AddressSanitizer and UBSan.
asan: deps
	@test -f $(ASAN_BUILD)/CMakeCache.txt || cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DTABELLONE_SANITIZE=ON
	cmake --build $(ASAN_BUILD)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(ASAN_BUILD) -L unit --output-on-failure

# PNGs of every picture and sprite, and a contact sheet, into $(BUILD)/preview/.
preview:
	$(MAKE) build
	cmake --build $(BUILD) --target content_preview

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
