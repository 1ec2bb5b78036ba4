# Two entry points for people: `make run` and `make test`. Both install what
# is missing from Debian's packages first, then build with CMake.
BUILD ?= build
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)
# `make package` builds in a folder of its own, with Debian's flags.
PACKAGE_BUILD ?= $(BUILD)-package
# `make sanitize` builds the core and its tests (no window) in two more.
ASAN_BUILD ?= $(BUILD)-asan
TSAN_BUILD ?= $(BUILD)-tsan

# What building, running and testing need on a fresh Debian machine.
PACKAGES = cmake make g++ pkgconf qt6-base-dev libgl-dev libgtest-dev \
           xvfb xauth xdotool fonts-dejavu-core e2fsprogs coreutils \
           desktop-file-utils appstream dpkg-dev clang libclang-rt-14-dev \
           xfsprogs btrfs-progs lintian man-db qt6-translations-l10n

SUDO = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build run test sanitize bench screenshots package clean

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the program, so that starting it does not wait for the test suite.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target velmora
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found: starting Velmora under xvfb-run (an invisible X server)."; \
	  xvfb-run -a $(BUILD)/app/velmora; \
	else \
	  $(BUILD)/app/velmora; \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The core and its tests under the sanitizers. The product's -Werror gate is
# the normal build's: what GCC warns about moves with -O1 and instrumentation.
SAN_CMAKE = -DCMAKE_BUILD_TYPE=Debug -DVELMORA_WITH_GUI=OFF -DVELMORA_WERROR=OFF
ASAN_FLAGS = -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined
TSAN_FLAGS = -O1 -fsanitize=thread
# Every core test under AddressSanitizer and UndefinedBehaviorSanitizer but
# two. fuzz.add_rules builds its own binary with clang, already under both.
# The forensic tests call the engine as wipe_file_test and tree_shred_test do
# and spend their time making, mounting and scanning raw images byte by byte:
# 30 to 80 s each under ASan, over eight minutes together on two cores.
ASAN_SKIP = ^fuzz\.|Forensic
# The tests whose runs use threads (the folder pool, the worker's faults,
# stop and bad input) under ThreadSanitizer.
TSAN_TESTS = tree_shred_test fault_io_test fault_race_test fault_free_space_test bad_input_test
sanitize: export ASAN_OPTIONS = detect_leaks=1
sanitize: export UBSAN_OPTIONS = print_stacktrace=1:halt_on_error=1
sanitize: export TSAN_OPTIONS = halt_on_error=1:second_deadlock_stack=1

sanitize: deps
	cmake -S . -B $(ASAN_BUILD) $(SAN_CMAKE) -DCMAKE_CXX_FLAGS="$(ASAN_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -E '$(ASAN_SKIP)'
	cmake -S . -B $(TSAN_BUILD) $(SAN_CMAKE) -DCMAKE_CXX_FLAGS="$(TSAN_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TESTS)
	for t in $(TSAN_TESTS); do $(TSAN_BUILD)/tests/$$t --gtest_brief=1 || exit 1; done

bench: build
	$(BUILD)/bench/shred_bench
	$(BUILD)/bench/window_bench

screenshots: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/app/velmora-screenshots docs/screenshots

clean:
	rm -rf $(BUILD) $(PACKAGE_BUILD) $(ASAN_BUILD) $(TSAN_BUILD)

package: deps
	bash packaging/build_package.sh . $(PACKAGE_BUILD) $(JOBS)
