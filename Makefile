# Quindle: every target installs what it needs, then builds into build/.
BUILD_DIR ?= build

.PHONY: all build run test bench clean

all: build

build:
	scripts/setup.sh

run: build
	./$(BUILD_DIR)/quindle

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --timeout 600

bench: build
	./$(BUILD_DIR)/bench/bench_engine

clean:
	rm -rf $(BUILD_DIR)
