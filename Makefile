# Orvantis: terrain fly-overs and terrain tools.
#   make run             install, build and render the bundled demo into out/demo/
#   make gui             open the desktop application on the demo scene (its data made first)
#   make test            install, build and run every test
#   make check-sanitize  core tests under AddressSanitizer and UndefinedBehaviorSanitizer (clang)
#   make bench           the renderer benchmarks
#   make fuzz            every file reader under libFuzzer, FUZZ_SECONDS each (default 60; clang)
#   make format          clang-format every source file
#   make check-cluster   the demo rendered as 4 parts on a single-node Slurm started here (docs/cluster.md)

JOBS      ?= $(shell nproc)
BUILD     ?= build
ASAN      ?= build-asan
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
CLI       := $(BUILD)/orvantis-cli
FUZZ_SECONDS ?= 60
AS_ROOT   := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps build run gui test check-sanitize bench format fuzz demo-data clean check-cluster

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-demo $(CLI)

demo-data: build
	@scripts/run-demo $(CLI) --data-only

gui: demo-data
	$(BUILD)/orvantis examples/demo-curved.ovs

test: build
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure

check-sanitize: deps
	CC=clang CXX=clang++ cmake -S . -B $(ASAN) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DORVANTIS_GUI=OFF \
	    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O1"
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest -j $(JOBS) --output-on-failure

fuzz: deps
	scripts/run-fuzz $(FUZZ_SECONDS)

bench: deps
	ORVANTIS_BENCH_DEPS=1 scripts/install-deps
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DORVANTIS_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)
	@scripts/run-bench $(BUILD)

check-cluster: demo-data
	ORVANTIS_CLUSTER_DEPS=1 scripts/install-deps
	$(AS_ROOT) scripts/check-cluster $(CLI)

format:
	find app scene render renderer image path tools video cli tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN) out
