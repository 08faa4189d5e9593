# Front door of the build. `make test` is what CI runs.
BUILD_DIR ?= build/asan
RELEASE_DIR ?= build/release
WIN64_DIR ?= build/win64
WIN32_DIR ?= build/win32
JOBS ?= $(shell nproc)

.PHONY: all deps build test release bench demo clean windows native-profiles

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: | deps
	cmake --preset asan -B $(BUILD_DIR)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The native suite, then the Windows suites: the 64-bit DLL's tests run
# under Wine, the 32-bit DLL is inspected only.
test: build windows
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	ctest --test-dir $(WIN64_DIR) --output-on-failure -j $(JOBS)
	ctest --test-dir $(WIN32_DIR) --output-on-failure -j $(JOBS)

# K7730fe.dll for x86_64 (build/win64) and i686 (build/win32), cross-built
# with mingw-w64. The profiles beside them and the resources inside them
# (dialogs, strings, bitmaps, cursors) come from the native build.
native-profiles: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS) --target default_profiles k7730_test_profiles win32_resources

$(WIN64_DIR)/build.ninja: | deps
	cmake --preset win64 -B $(WIN64_DIR) -DK7730_NATIVE_BUILD_DIR=$(abspath $(BUILD_DIR))

$(WIN32_DIR)/build.ninja: | deps
	cmake --preset win32 -B $(WIN32_DIR) -DK7730_NATIVE_BUILD_DIR=$(abspath $(BUILD_DIR))

windows: native-profiles $(WIN64_DIR)/build.ninja $(WIN32_DIR)/build.ninja
	cmake --build $(WIN64_DIR) -j $(JOBS)
	cmake --build $(WIN32_DIR) -j $(JOBS)

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
