# The two set-up commands: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
FUZZ_BUILD ?= build-fuzz
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps configure build test run bench fuzz dist package clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: deps
	$(MAKE) build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: deps
	$(MAKE) build
	bash scripts/run-example.sh $(BUILD)

bench: deps
	$(MAKE) build
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug \
	  -DTARVOLIN_FUZZ=ON -DTARVOLIN_TESTS=OFF -DTARVOLIN_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# The folder and archive holding TarvolinSetup and the "Install" tree.
dist: deps
	$(MAKE) configure
	cmake --build $(BUILD) -j $(JOBS) --target dist

# The Debian package (CPack), checked with lintian when it is installed.
package: deps
	$(MAKE) build
	cd $(BUILD) && cpack -G DEB
	@if command -v lintian >/dev/null; then lintian --fail-on error $(BUILD)/package/*.deb; fi

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
