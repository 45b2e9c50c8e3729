# Tolvane: make run | make test | make bench | make fuzz
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=

.PHONY: all deps build build-asan test test-asan test-long bench fuzz clean format format-check run

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DTOLVANE_WERROR=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# The Qt-free libraries and their tests under AddressSanitizer and UndefinedBehaviorSanitizer.
build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DTOLVANE_WERROR=ON -DTOLVANE_WITH_QT=OFF -DTOLVANE_SANITIZE=ON \
	  -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -LE long

test: format-check build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -LE long
	$(MAKE) test-asan

# Real-time runs left out of make test (full rate and page matrices).
test-long: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -L long

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCH=ON -DTOLVANE_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/*_bench; do echo "== $$b"; $$b; done
	@for s in bench/scripts/*.sh; do [ -x "$$s" ] && { echo "== $$s"; BUILD=$(BENCH_BUILD) $$s; }; done; true

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DTOLVANE_FUZZ=ON -DTOLVANE_WITH_QT=OFF \
	  -DTOLVANE_TESTS=OFF -DTOLVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@mkdir -p fuzz/artifacts
	@for f in $(FUZZ_BUILD)/fuzz/*_fuzz; do n=$$(basename $$f _fuzz); echo "== $$n"; \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$n; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=fuzz/artifacts/$$n- \
	    $(FUZZ_BUILD)/corpus/$$n fuzz/corpus/$$n || exit 1; done

run: build
	@if [ -x $(BUILD)/src/app/tolvane ]; then $(BUILD)/src/app/tolvane; \
	else echo "The Tolvane application is not part of this version yet; see faxtool in $(BUILD)/tools."; fi

format:
	git ls-files -co --exclude-standard '*.cpp' '*.h' | xargs -r clang-format -i

format-check:
	git ls-files -co --exclude-standard '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
