# Dendrix: `make run` starts the program, `make test` runs the test suite.
# CMake does the work underneath, in build/.
BUILD ?= build
JOBS ?= $(shell nproc)
HAVE_DISPLAY := $(if $(or $(DISPLAY),$(WAYLAND_DISPLAY)),yes,)
# Tests that open windows need an X server; without a display they get Xvfb.
DISPLAY_WRAP := $(if $(HAVE_DISPLAY),,xvfb-run -a -s "-screen 0 1600x1200x24")

.PHONY: all deps configure build test test-asan fuzz fuzz-run run bench install clean

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && $(DISPLAY_WRAP) ctest --output-on-failure -j $(JOBS)

# The whole suite again, built with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer in its own folder. Clang builds it: GCC 12's
# vptr check reports calls through member-function pointers read in a loop
# as calls on objects of the wrong type. GTK's accessibility bridge stays
# off (NO_AT_BRIDGE): it keeps a session-bus connection it never frees.
# LeakSanitizer leaves __tls_get_addr alone (intercept_tls_get_addr=0): up to
# LLVM 16 it takes a block of dynamic thread-local storage that happens to
# start at a certain page offset for an old glibc's header and its tracer
# crashes ("Tracer caught signal 11"), whether or not anything leaked.
ASAN_BUILD ?= build-asan
ASAN_CXX ?= clang++
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DDENDRIX_SANITIZE=ON \
	  -DCMAKE_CXX_COMPILER=$(ASAN_CXX)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && \
	  NO_AT_BRIDGE=1 \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0:intercept_tls_get_addr=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $(DISPLAY_WRAP) ctest --output-on-failure -j $(JOBS)

# The fuzz targets of fuzz/, built by clang with libFuzzer in their own
# folder: `make fuzz` builds them, `make fuzz-run` runs each over its corpus
# for FUZZ_SECONDS seconds.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDENDRIX_FUZZ=ON \
	  -DDENDRIX_BUILD_TESTS=OFF -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

fuzz-run: fuzz
	scripts/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

run: build
ifeq ($(HAVE_DISPLAY),yes)
	$(BUILD)/src/app/dendrix
else
	$(BUILD)/tools/dendrix-render/dendrix-render --out $(BUILD)/demo-tree.png
	@echo "No display: rendered a demo tree to $(BUILD)/demo-tree.png"
endif

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DDENDRIX_BUILD_BENCH=ON -DDENDRIX_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS) --target dendrix-bench
	build-bench/bench/dendrix-bench

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) build-bench
