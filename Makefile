# make run: install what is missing, build and play. make test: install, build, run every test.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps build run test test-unit test-asan bench clean

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

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
