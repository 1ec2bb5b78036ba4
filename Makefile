# Two entry points for people: `make run` and `make test`. Both install what
# is missing from Debian's packages first, then build with CMake.
BUILD ?= build
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)
# `make package` builds in a folder of its own, with Debian's flags.
PACKAGE_BUILD ?= $(BUILD)-package

# What building, running and testing need on a fresh Debian machine.
PACKAGES = cmake make g++ pkgconf qt6-base-dev libgl-dev libgtest-dev \
           xvfb xauth xdotool fonts-dejavu-core e2fsprogs coreutils \
           desktop-file-utils appstream dpkg-dev clang libclang-rt-14-dev \
           xfsprogs btrfs-progs lintian man-db qt6-translations-l10n

SUDO = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build run test bench screenshots package clean

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

bench: build
	$(BUILD)/bench/shred_bench
	$(BUILD)/bench/window_bench

screenshots: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/app/velmora-screenshots docs/screenshots

clean:
	rm -rf $(BUILD) $(PACKAGE_BUILD)

package: deps
	bash packaging/build_package.sh . $(PACKAGE_BUILD) $(JOBS)
