# Convenience entry points; CMake and CTest do the work.
BUILD ?= build
JOBS ?= 2

.PHONY: setup configure build test example clean

setup:
	bash scripts/setup

configure: setup
	cmake -S . -B $(BUILD) -G Ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Installs what is missing, builds, and runs every test.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Builds a wall from the bundled sample photos and prints where it is.
example: build
	cmake --build $(BUILD) --target samples
	$(BUILD)/main/cli/kestova-cli build $(BUILD)/samples --out $(BUILD)/example-wall

clean:
	rm -rf $(BUILD)
