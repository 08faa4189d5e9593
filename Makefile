# Front door of the build. `make test` is what CI runs.
BUILD_DIR ?= build/asan
RELEASE_DIR ?= build/release
JOBS ?= $(shell nproc)

.PHONY: all deps build test release bench demo clean

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
	@[ -f $(RELEASE_DIR)/bench-photos/.fetched ] || bash bench/fetch_photos.sh $(RELEASE_DIR)/bench-photos
	@for b in $(RELEASE_DIR)/bench/*_bench; do [ -x "$$b" ] && "$$b" || true; done

# Prints a generated photo-like page through the module: out/demo.png.
demo: deps $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target K7730fe vorndll default_profiles k7730-print k7730-testpage
	@bash host/demo.sh $(RELEASE_DIR)

clean:
	rm -rf build out
