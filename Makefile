# Front door of the build. `make test` is what CI runs.
BUILD_DIR ?= build/asan
RELEASE_DIR ?= build/release
JOBS ?= $(shell nproc)

.PHONY: all deps build test release bench clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: | deps
	cmake --preset asan -B $(BUILD_DIR)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

$(RELEASE_DIR)/build.ninja: | deps
	cmake --preset release -B $(RELEASE_DIR)

release: deps $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j $(JOBS)

bench: release
	@for b in $(RELEASE_DIR)/bench/*_bench; do [ -x "$$b" ] && "$$b" || true; done

clean:
	rm -rf build out
