# The two everyday commands are `make run` and `make test`; the others are
# for deeper checks and measurements.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps build run test fuzz clean

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS) $(TARGETS)

# Starts the demo service on port 8010 and opens the client; without a
# display, under Xvfb, saving a screenshot once the login page has loaded.
run: TARGETS = --target varnock varnock-demo-service
run: build
	@./scripts/run-client.sh $(BUILD_DIR)

# Every test: unit tests, the demo service's tests and the GUI tests, which
# bring up their own Xvfb and openbox.
test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure --timeout 600

# libFuzzer targets (clang), each for a bounded time (FUZZ_SECONDS, default 60).
fuzz:
	@./scripts/install-deps.sh fuzz
	@tests/fuzz/run-fuzz.sh $(CURDIR)/$(BUILD_DIR)-fuzz

clean:
	rm -rf $(BUILD_DIR)
