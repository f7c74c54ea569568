# The two everyday commands are `make run` and `make test`; the others are
# for deeper checks, measurements and the Debian package.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
# Tests side by side: most of a GUI test is waiting for a window or a page.
TEST_JOBS ?= $(JOBS)

.PHONY: all deps build run test soak test-asan bench fuzz deb windows clean

all: build

# The Debian packages a target needs (scripts/install-deps.sh): building
# alone needs the least; `make test` brings the test and cross-build tools.
DEPS_GROUPS =
deps:
	@./scripts/install-deps.sh $(DEPS_GROUPS)

# `make build` and `make run` leave the tests out, since they do not install
# the tests' packages; the targets that run tests turn them on.
TESTING = OFF
build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=$(TESTING) > /dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS) $(TARGETS)

# Starts the demo service on port 8010 and opens the client on the desktop
# (X11 or Wayland); without any display, under Xvfb, saving a screenshot once
# the login page has loaded.
run: DEPS_GROUPS = run
run: TARGETS = --target varnock varnock-demo-service
run: build
	@./scripts/run-client.sh $(BUILD_DIR)

# Every test: unit tests, the demo service's tests, the GUI tests, which
# bring up their own Xvfb and openbox, the Windows tests under Wine, and the
# install and package checks.
test: DEPS_GROUPS = test
test: TESTING = ON
test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure --timeout 600 -j$(TEST_JOBS)

# The Windows client, cross-built with mingw-w64 in $(WIN_BUILD_DIR):
# varnock.exe with WebView2Loader.dll beside it, and the installer,
# varnock-VERSION-x64.msi (installer/). The WebView2 SDK comes from
# NuGet, restored by dotnet (scripts/restore-webview2.sh) at configure time.
WIN_BUILD_DIR ?= build-win
windows:
	@command -v dotnet > /dev/null || { echo "make windows: dotnet (the .NET SDK) is not on PATH; it restores the WebView2 SDK"; exit 1; }
	@./scripts/install-deps.sh windows
	@cmake -S . -B $(WIN_BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release > /dev/null
	@cmake --build $(WIN_BUILD_DIR) -j$(JOBS) --target varnock varnock_installer --  --no-print-directory
	@echo "make windows: $(WIN_BUILD_DIR)/varnock.exe and its installer $$(cd $(WIN_BUILD_DIR) && ls varnock-[0-9]*-x64.msi)"

# The GUI soak test at length: SOAK_CYCLES (default 200) rounds of logging
# in, opening a page and logging out in the page; `make test` runs 20.
SOAK_CYCLES ?= 200
soak: DEPS_GROUPS = test
soak: TESTING = ON
soak: TARGETS = --target gui_soak_tests
soak: build
	@cd $(BUILD_DIR) && ./gui_soak_tests --cycles=$(SOAK_CYCLES)

# The unit, demo service and GUI tests on a build with AddressSanitizer and
# UndefinedBehaviorSanitizer ($(BUILD_DIR)-asan). The options reach the
# client the GUI tests start; a leak at its exit fails the run unless it lies
# in a system library listed in tests/sanitizers/lsan.supp.
ASAN_BUILD_DIR ?= $(BUILD_DIR)-asan
test-asan: DEPS_GROUPS = test
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNOCK_SANITIZE=ON \
	  -DBUILD_TESTING=ON > /dev/null
	@cmake --build $(ASAN_BUILD_DIR) -j$(JOBS)
	@cd $(ASAN_BUILD_DIR) && \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0:exitcode=23 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure --timeout 1200 -L 'unit|service|gui'

# The client against a bare WebKitGTK view and Chromium's app window, side by
# side (bench/; results in docs/performance.md). Not part of `make test`:
# builds the client and the benchmark (VARNOCK_BENCH) in $(BENCH_BUILD_DIR),
# installs Chromium when missing and prints a table of medians over
# BENCH_RUNS runs (default 5). As root it runs in a private network, so port
# 8010 may be in use elsewhere on the machine.
BENCH_BUILD_DIR ?= $(BUILD_DIR)-bench
BENCH_RUNS ?= 5
bench:
	@./scripts/install-deps.sh bench
	@cmake -S . -B $(BENCH_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
	  -DVARNOCK_BENCH=ON > /dev/null
	@cmake --build $(BENCH_BUILD_DIR) -j$(JOBS) --target varnock varnock_bench floor
	@$(BENCH_BUILD_DIR)/bench/varnock_bench --client $(BENCH_BUILD_DIR)/varnock \
	  --floor $(BENCH_BUILD_DIR)/bench/floor --runs $(BENCH_RUNS)

# libFuzzer targets (the project with VARNOCK_FUZZ, clang) in
# $(BUILD_DIR)-fuzz, each run for a bounded time (FUZZ_SECONDS, default 60).
fuzz:
	@./scripts/install-deps.sh fuzz
	@tests/fuzz/run-fuzz.sh $(CURDIR)/$(BUILD_DIR)-fuzz

# The Debian package varnock_<version>-<revision>_<arch>.deb, built from its
# own build folder ($(DEB_BUILD_DIR), without the tests) by CPack's DEB
# generator; `make test` checks the package made from its build instead.
# docs/packaging.md says what is in it.
DEB_BUILD_DIR ?= $(BUILD_DIR)-deb
deb:
	@./scripts/install-deps.sh package
	@cmake -S . -B $(DEB_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF > /dev/null
	@cmake --build $(DEB_BUILD_DIR) -j$(JOBS)
	@cd $(DEB_BUILD_DIR) && cpack -G DEB > cpack.log || { cat cpack.log; exit 1; }
	@for f in $(DEB_BUILD_DIR)/*.deb; do echo "Built $$f"; done

clean:
	rm -rf $(BUILD_DIR)
