# The two entry points: `make run` starts the monitor, `make test` runs every test.
BUILD_DIR ?= build

.PHONY: all deps configure build run test bench screenshot clean format package package-check \
	release soak faults

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja

build: configure
	cmake --build $(BUILD_DIR)

run: build
	scripts/run.sh $(BUILD_DIR)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure

# The Debian package, build/gear-monitor_<version>_<arch>.deb, and its check.
package: build
	@scripts/install-deps.sh --package
	cmake --build $(BUILD_DIR) --target package

package-check: package
	scripts/package-check.sh $(BUILD_DIR)

# The programs as shipped (Release), for the soak and the fault scripts, in a folder of their own.
RELEASE_DIR ?= build-release

release: deps
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE_DIR) --target gear-monitor gear-sim pty-feed

# The monitor against the simulator at full speed for SOAK_SECONDS (default 600); see
# docs/reliability.md.
soak: release
	scripts/soak.sh $(RELEASE_DIR)

# Every fault script against the Release programs; see docs/reliability.md.
faults: release
	scripts/faults/all.sh $(RELEASE_DIR)

bench: build
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/monitor-bench -minimumvalue 200

screenshot: build
	folder=$$(mktemp -d) && scripts/screenshot.sh $(BUILD_DIR) docs/window.png 1.2 $$folder; rm -rf $$folder

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR)
