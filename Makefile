# make run: install what is missing, build and play. make test: install, build, run every test.
# make fuzz: each file reader's fuzz target for FUZZ_SECONDS.
# make balance: docs/tournament.md, bot matches on every level with each level's fairness.
# make mutate FILES="src/player.cpp": plant faults one at a time, report those the tests miss.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = image level replay
MUTATE_BUILD ?= build-mutate
SEED ?= 1
MAX ?= 40
TIMEOUT ?= 60
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# ON: a warning fails the build, as in CI.
WERROR ?= OFF

.PHONY: all deps build run test test-unit asan-build test-asan soak bench fuzz mutate golden balance clean

all: build

deps:
	@bash tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTETHRIX_WERROR=$(WERROR)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/tethrix

test: test-unit test-asan

test-unit: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Everything built again with AddressSanitizer and UndefinedBehaviorSanitizer.
asan-build: build
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTETHRIX_SANITIZE=ON -DTETHRIX_GAME=OFF \
	  -DTETHRIX_WERROR=$(WERROR) \
	  -DTETHRIX_OTHER_SIM=$(abspath $(BUILD))/tethrix-sim
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# The unit tests under the sanitizers.
test-asan: asan-build
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# Bot tournaments over every level and game type under the sanitizers and LeakSanitizer,
# every power-up at frequency 9, for SOAK_FRAMES frames of game time (144000: an hour at
# 40 frames a second). Reports the leaks (none allowed) and the peak resident memory.
SOAK_FRAMES ?= 144000
soak: asan-build
	@log=$(abspath $(ASAN_BUILD))/soak.log; \
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  $(ASAN_BUILD)/tethrix-sim --data data --tournament --matches 1 --powerup-frequency 9 \
	  --total-frames $(SOAK_FRAMES) --json $(ASAN_BUILD)/soak.json >$$log 2>&1; status=$$?; \
	cat $$log; leaks=$$(grep -c -E '^(Direct|Indirect) leak' $$log); \
	echo "soak: $(SOAK_FRAMES) frames asked, status $$status, leaks $$leaks"; \
	test $$status -eq 0 && test $$leaks -eq 0

bench: build
	./$(BUILD)/tethrix_bench

# libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer, seeded from
# tools/fuzz/corpus (only read); new inputs and any crash stay in FUZZ_BUILD.
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DTETHRIX_FUZZ=ON -DTETHRIX_GAME=OFF -DTETHRIX_TESTS=OFF -DTETHRIX_BENCH=OFF \
	  -DTETHRIX_WERROR=$(WERROR)
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

# Records how every shipped level plays now, for the sim_golden test, and the replay the
# sim_replay_file test plays; only for a change that means to alter play.
golden: build
	cmake -DSIM=$(BUILD)/tethrix-sim -DDATA=data -DKEYS=tests/fixtures/match.keys \
	  -DGOLDEN=tests/fixtures/golden.sha256 -DOUT=$(BUILD)/golden -DUPDATE=ON -P tests/sim_golden.cmake
	./$(BUILD)/tethrix-sim --data data --title --human 0,5 --active 0,1,2,3,4,5 --frames 6000 \
	  --keys tests/fixtures/replay/walk.keys --record tests/fixtures/replay/match.replay >/dev/null

# docs/tournament.md: every shipped level with its own game type, BALANCE_MATCHES bot matches
# from seeds 1 on, each capped at BALANCE_FRAMES frames, with the fairness of the wins.
BALANCE_MATCHES ?= 20
BALANCE_FRAMES ?= 20000
balance: build
	python3 tools/balance.py --sim $(BUILD)/tethrix-sim --data data --matches $(BALANCE_MATCHES) \
	  --frames $(BALANCE_FRAMES) --out docs/tournament.md

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(MUTATE_BUILD)
