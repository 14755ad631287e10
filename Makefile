# make run: install what is missing, build and play. make test: install, build, run every test.
# make fuzz: each file reader's fuzz target for FUZZ_SECONDS.
# make mutate FILES="src/player.cpp": plant faults one at a time, report those the tests miss.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = image level
MUTATE_BUILD ?= build-mutate
SEED ?= 1
MAX ?= 40
TIMEOUT ?= 60
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps build run test test-unit test-asan bench fuzz mutate clean

all: build

deps:
	@bash tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/tethrix

test: test-unit test-asan

test-unit: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: build
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTETHRIX_SANITIZE=ON -DTETHRIX_GAME=OFF \
	  -DTETHRIX_OTHER_SIM=$(abspath $(BUILD))/tethrix-sim
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

bench: build
	./$(BUILD)/tethrix_bench

# libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer, seeded from
# tools/fuzz/corpus (only read); new inputs and any crash stay in FUZZ_BUILD.
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DTETHRIX_FUZZ=ON -DTETHRIX_GAME=OFF -DTETHRIX_TESTS=OFF -DTETHRIX_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@out=$(abspath $(FUZZ_BUILD)); for t in $(FUZZ_TARGETS); do \
	  mkdir -p $$out/corpus/$$t $$out/crashes/$$t || exit 1; \
	  echo "fuzz_$$t: $(FUZZ_SECONDS) s"; \
	  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    $$out/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -close_fd_mask=2 \
	    -print_final_stats=1 -artifact_prefix=$$out/crashes/$$t/ \
	    $$out/corpus/$$t $(CURDIR)/tools/fuzz/corpus/$$t || exit 1; \
	done; \
	echo "fuzz: $(words $(FUZZ_TARGETS)) passed, 0 failed"

# Mutation testing in its own Debug build; FILES defaults to every src/*.cpp but main.cpp.
mutate: deps
	python3 tools/mutate.py --build-dir $(MUTATE_BUILD) --seed $(SEED) --max $(MAX) \
	  --timeout $(TIMEOUT) --jobs $(JOBS) $(if $(FILTER),--filter '$(FILTER)') $(if $(JSON),--json $(JSON)) $(FILES)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(MUTATE_BUILD)
