# The two entry points: `make run` starts the monitor, `make test` runs every test.
BUILD_DIR ?= build
# The checking builds, each in its own folder (see docs/reliability.md).
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 8
CCACHE := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Stop at the first finding, with a stack; leaks count as findings.
ASAN_CHECKS := halt_on_error=1:abort_on_error=1:detect_leaks=1
SANITIZER_ENV := ASAN_OPTIONS=$(ASAN_CHECKS) UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Extra CMake settings, e.g. CMAKE_ARGS=-DGEAR_WERROR=ON (as CI builds).
CMAKE_ARGS ?=

.PHONY: all deps configure build run test bench screenshot clean format package package-check \
	release soak faults bench-wait bench-log bench-e2e check-deps test-sanitize fuzz-build fuzz fuzz-smoke

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD_DIR)

# SIM_ARGS go to gear-sim, e.g. make run SIM_ARGS="--replug-after 20 --replug-for 8".
run: build
	scripts/run.sh $(BUILD_DIR) $(SIM_ARGS)

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

# What waiting for a pulled-out adapter costs (BENCH_WAIT_SECONDS, default 60); see
# docs/performance.md.
bench-wait: release
	scripts/bench-wait.sh $(RELEASE_DIR) $(or $(BENCH_WAIT_SECONDS),60)

# gear-log (Release) on a generated 100 MB recording (BENCH_LOG_MB to change); see
# docs/performance.md.
bench-log:
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE_DIR) --target gear-log
	scripts/bench-log.sh $(RELEASE_DIR) $(or $(BENCH_LOG_MB),100)

# The whole monitor (Release) reading a pseudo-terminal at gear-sim's 9600-baud pace, at 100, 1,100
# and 2,100 lines a second and flat out, view hidden and shown, next to CuteCom and cat, and what
# the panel mirror with 10 clients adds at 100 lines a second; see docs/performance.md. Settings
# through the environment, e.g. SHORT=1, BENCH_SECONDS=30, BENCH_BEFORE=old/gear-monitor.
bench-e2e: deps
	@scripts/install-deps.sh --bench
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE_DIR) --target gear-monitor gear-sim bench-line-feed gear-facts
	scripts/bench-e2e.sh $(RELEASE_DIR)
	scripts/bench-mirror-latency.py $(RELEASE_DIR)

screenshot: build
	folder=$$(mktemp -d) && scripts/screenshot.sh $(BUILD_DIR) docs/window.png 1.2 $$folder; rm -rf $$folder

check-deps:
	@scripts/install-deps.sh --checks

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer. The real monitor under
# X (e2e_monitor) leaks 1 KB inside libdbus at exit, with no frame of ours: leaks are not counted
# in that one test; everything else is checked there too.
test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
		-DGEAR_SANITIZE=ON $(CCACHE)
	cmake --build $(SANITIZE_DIR)
	$(SANITIZER_ENV) ctest --test-dir $(SANITIZE_DIR) --output-on-failure -E e2e_monitor
	$(SANITIZER_ENV) ASAN_OPTIONS=$(ASAN_CHECKS):detect_leaks=0 ctest --test-dir $(SANITIZE_DIR) --output-on-failure -R e2e_monitor

fuzz-build: check-deps deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGEAR_FUZZ=ON \
		-DCMAKE_CXX_COMPILER=clang++-14 $(CCACHE)
	cmake --build $(FUZZ_DIR) --target fuzz-targets

# Every fuzz target for FUZZ_SECONDS; fuzz-smoke is the short run CI makes.
fuzz: fuzz-build
	$(SANITIZER_ENV) scripts/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	$(SANITIZER_ENV) scripts/fuzz.sh $(FUZZ_DIR) $(FUZZ_SMOKE_SECONDS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
