# The two set-up commands: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
# One clang tree with AddressSanitizer and UndefinedBehaviorSanitizer, warnings
# as errors, builds both the test suite run a second time (make sanitize) and
# the fuzz targets (make fuzz, make fuzz-run).
SANITIZE_BUILD ?= build-sanitize
FUZZ_SECONDS ?= 10
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps configure build test run bench sanitize-configure sanitize fuzz fuzz-run dist package clean

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

$(SANITIZE_BUILD)/CMakeCache.txt:
	CC=clang CXX=clang++ cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" \
	  -DTARVOLIN_SANITIZE=ON -DTARVOLIN_FUZZ=ON -DTARVOLIN_WERROR=ON -DTARVOLIN_BENCH=OFF

sanitize-configure: $(SANITIZE_BUILD)/CMakeCache.txt

# The whole test suite again, every fault a sanitizer finds failing its test.
sanitize: deps sanitize-configure
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

fuzz: deps sanitize-configure
	cmake --build $(SANITIZE_BUILD) -j $(JOBS) --target fuzz_targets

# Every fuzz target for FUZZ_SECONDS seconds, from the seed corpus make_seeds
# writes (the corpus grows in the build tree, never in the sources).
fuzz-run: fuzz
	rm -rf $(SANITIZE_BUILD)/corpus && $(SANITIZE_BUILD)/fuzz/make_seeds $(SANITIZE_BUILD)/corpus .
	@for f in $(SANITIZE_BUILD)/fuzz/fuzz_*; do \
	  name=$$(basename $$f); mkdir -p $(SANITIZE_BUILD)/corpus/$$name; \
	  echo "== $$name ($(FUZZ_SECONDS) s)"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
	    $(SANITIZE_BUILD)/corpus/$$name || exit 1; \
	done

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
	rm -rf $(BUILD) $(SANITIZE_BUILD)
