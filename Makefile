# Front door of the build. `make test` is what CI runs.
BUILD_DIR ?= build/asan
RELEASE_DIR ?= build/release
WIN64_DIR ?= build/win64
WIN32_DIR ?= build/win32
FUZZ_DIR ?= build/fuzz
FUZZ_SECONDS ?= 600
JOBS ?= $(shell nproc)

PACKAGE_DIR ?= build/package
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps build test tsan release bench demo demo-deps fuzz fuzz-deps fuzz-run clean windows native-profiles \
        install package package-deps package-test windows-dist windows-dist-test

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: | deps
	cmake --preset asan -B $(BUILD_DIR)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The native suite, then the Windows suites: the 64-bit DLL's tests run
# under Wine, the 32-bit DLL is inspected only.
# Then the threaded tests under ThreadSanitizer; last, the Windows archive
# and the Debian package, installed on this machine and removed again (CI
# runs as root).
test: build windows
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	ctest --test-dir $(WIN64_DIR) --output-on-failure -j $(JOBS)
	ctest --test-dir $(WIN32_DIR) --output-on-failure -j $(JOBS)
	$(MAKE) tsan windows-dist-test package-test

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

# The optimised build installed under PREFIX, staged below DESTDIR when
# given (make install PREFIX=/usr DESTDIR=/tmp/stage). The prefix is fixed
# when the build is configured, since the programs find the module and the
# PPD its settings record through it; a build folder made before keeps its
# build type.
install: package-deps
	@if [ -f $(RELEASE_DIR)/build.ninja ]; then cmake -B $(RELEASE_DIR) -DCMAKE_INSTALL_PREFIX=$(PREFIX); \
	 else cmake --preset release -B $(RELEASE_DIR) -DCMAKE_INSTALL_PREFIX=$(PREFIX); fi
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target k7730_installed
	DESTDIR="$(DESTDIR)" cmake --install $(RELEASE_DIR)

# The Debian binary package, built by dpkg-buildpackage from a copy of the
# tree in $(PACKAGE_DIR) (it writes its results beside the tree it builds),
# then checked with lintian. The copy and its build folder are kept, so a
# second run rebuilds only what changed; ccache is used when installed.
package: package-deps
	@bash packaging/debian_build.sh $(PACKAGE_DIR)

# What building, installing and packaging need, without the test suites'
# Wine, displays and test data.
package-deps:
	@bash scripts/install-deps.sh build cups package

# Builds the package, installs it with apt-get, prints through it with a
# private cupsd, and purges it.
package-test: package
	@bash tests/packaging/package_test.sh $(PACKAGE_DIR)

# The archive for Windows host authors: both DLLs with their line-filter
# libraries and profiles, the headers, the example host and a short text.
windows-dist: windows
	@bash packaging/windows/make_dist.sh $(WIN64_DIR) $(WIN32_DIR) build

windows-dist-test: windows-dist
	@bash tests/packaging/windows_dist_test.sh build $(WIN64_DIR) $(WIN32_DIR)

bench: release
	@[ -f $(RELEASE_DIR)/bench-photos/.fetched ] || bash bench/fetch_photos.sh $(RELEASE_DIR)/bench-photos
	@for b in $(RELEASE_DIR)/bench/*_bench; do [ -x "$$b" ] && "$$b" || true; done
	@[ ! -x $(RELEASE_DIR)/k7730-printer-app ] || python3 bench/printer_app_soak.py $(RELEASE_DIR)

# Prints a generated photo-like page through the module: out/demo.png and
# its proof out/demo-proof.png. Installs only the build's packages and
# builds without the tests, in a folder of its own.
DEMO_DIR ?= build/demo
demo-deps:
	@bash scripts/install-deps.sh build

$(DEMO_DIR)/build.ninja: | demo-deps
	cmake --preset release -B $(DEMO_DIR) -DK7730_BUILD_TESTS=OFF -DK7730_BUILD_BENCH=OFF

demo: demo-deps $(DEMO_DIR)/build.ninja
	cmake --build $(DEMO_DIR) -j $(JOBS) --target K7730fe vorndll default_profiles k7730-print k7730-testpage
	@bash host/print/demo.sh $(DEMO_DIR)

# The tests that run on several threads at once, under ThreadSanitizer:
# instances and ColorWorlds on several threads, and the threads that read
# and write a page's bands beside the module.
TSAN_DIR ?= build/tsan
$(TSAN_DIR)/build.ninja: | deps
	cmake -G Ninja -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DK7730_SANITIZE_THREAD=ON -DK7730_BUILD_BENCH=OFF

tsan: deps $(TSAN_DIR)/build.ninja
	cmake --build $(TSAN_DIR) -j $(JOBS) --target robustness_test cmm_unit_test band_threads_test
	ctest --test-dir $(TSAN_DIR) --output-on-failure -R "TwoInstances|ColorWorldLock|BandThreads"

# Every libFuzzer target with its seeds, built with clang, ASan and UBSan in
# $(FUZZ_DIR); `make fuzz-run` then runs each for FUZZ_SECONDS on one core
# (or only the targets named in FUZZ_TARGETS) and prints inputs, speed and
# coverage per target.
fuzz-deps:
	@bash scripts/install-deps.sh fuzz

$(FUZZ_DIR)/build.ninja: | fuzz-deps
	CC=clang CXX=clang++ cmake -G Ninja -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DK7730_SANITIZE=ON -DK7730_BUILD_FUZZ=ON -DK7730_BUILD_TESTS=OFF -DK7730_BUILD_BENCH=OFF

fuzz: fuzz-deps $(FUZZ_DIR)/build.ninja
	cmake --build $(FUZZ_DIR) -j $(JOBS)

fuzz-run: fuzz
	@bash fuzz/run_campaign.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf build out
