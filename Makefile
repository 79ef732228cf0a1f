# Quindle: every target installs what it needs, then builds into build/.
BUILD_DIR ?= build
# The scripts build into the same folder.
export QUINDLE_BUILD_DIR = $(BUILD_DIR)
FUZZ_SECONDS ?= 60
SEED ?= 1
ACTIONS ?= 20000

.PHONY: all build run test bench test-sanitize fuzz package demo screenshot monkey clean

all: build

build:
	scripts/setup.sh

# The program alone is built (quietly when it is up to date). Without a graphical session it says in one line
# how to see it anyway (make demo); that is not a failure of this target.
run:
	@scripts/setup.sh quindle
	@./$(BUILD_DIR)/quindle; status=$$?; \
	if [ -z "$$DISPLAY$$WAYLAND_DISPLAY$$QT_QPA_PLATFORM" ]; then exit 0; fi; exit $$status

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --timeout 600

BENCHMARKS = bench_engine bench_power bench_ui

# Debian's benchmark library is built without NDEBUG and warns of it; only
# the first benchmark says so (it concerns the library's own bookkeeping, not
# the code measured).

bench:
	scripts/setup.sh $(BENCHMARKS)
	./$(BUILD_DIR)/bench/bench_engine
	./$(BUILD_DIR)/bench/bench_power
	QT_QPA_PLATFORM=offscreen ./$(BUILD_DIR)/bench/bench_ui

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer;
# then the computation and command tests with ThreadSanitizer.
test-sanitize:
	scripts/setup.sh --deps
	scripts/test-sanitize.sh
	scripts/test-threads.sh

# Each libFuzzer target over its corpus, then FUZZ_SECONDS of new inputs.
fuzz:
	scripts/fuzz.sh $(FUZZ_SECONDS)

# Builds the Debian package, checks it with lintian, installs it, starts it on
# a virtual display, removes it again.
package: build
	scripts/test-package.sh $(BUILD_DIR)

# A short scripted session on a virtual display; prints the screenshot's path.
demo: build
	scripts/demo.sh

# A longer seeded random-action run over the whole program.
monkey: build
	QUINDLE_BUILD_DIR=$(BUILD_DIR) scripts/monkey.sh $(SEED) $(ACTIONS)

screenshot: build
	scripts/screenshot.sh

clean:
	rm -rf $(BUILD_DIR) build-sanitize build-tsan build-fuzz
