# Front door of the project. `make run` starts the program on its built-in demo router;
# `make test` installs what is missing, builds and runs every test.
PRESET ?= default
BUILD_DIR := build/$(PRESET)
FUZZ_SECONDS ?= 30
PREFIX ?= /usr/local

.PHONY: all deps configure build test run bench fuzz asan tsan format translations clean package install check-package

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET) --output-on-failure

# The Debian package vexlorin_VERSION_ARCH.deb in the build folder.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# Installs into PREFIX (/usr/local unless given; "sudo make install" for a system folder).
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# Installs the package, runs the installed programs, removes it again (root only).
check-package: package
	scripts/check-package-install

asan:
	$(MAKE) test PRESET=asan

tsan:
	$(MAKE) test PRESET=tsan

run: build
	@if [ -z "$${DISPLAY}$${WAYLAND_DISPLAY}" ]; then \
		echo "No display found: run this on a desktop, or try 'xvfb-run make run'." >&2; \
		exit 1; \
	fi
	$(BUILD_DIR)/src/app/vexlorin --demo

bench: build
	@set -e; for b in $(BUILD_DIR)/bench/bench_*; do \
		[ -x "$$b" ] || continue; echo "== $$b"; "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; \
	done

fuzz: deps
	@cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	@scripts/run-fuzzers build/fuzz $(FUZZ_SECONDS)

# Takes the window's new and changed texts into translations/vexlorin_de.ts; translate the
# entries it marks unfinished, then build.
translations: configure
	cmake --build --preset $(PRESET) --target update_translations

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf build
