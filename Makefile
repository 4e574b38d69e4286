# Two commands a newcomer needs: `make run` and `make test`. Each installs what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps build run test unit e2e asan bench fuzz soak format clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The demo runs in the folder where the generator wrote its data files.
run: build
	cd $(BUILD)/data && ../app/showroom

unit: build
	cd $(BUILD) && ctest -L unit -j $(JOBS) --output-on-failure

e2e: build
	cd $(BUILD) && ctest -L e2e --output-on-failure

# The unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVTRL_SANITIZE=ON -DVTRL_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest -L unit -j $(JOBS) --output-on-failure

test: build
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure
	$(MAKE) asan

# Every benchmark; the frame-rate one needs an X display (a private Xvfb when there is none).
bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; \
	  if [ "$$(basename $$b)" = bench_frame ]; then scripts/with-display.sh $$b --data=$(BUILD)/data; else $$b; fi; done

# libFuzzer builds of the loaders' fuzz targets (clang), each run for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVTRL_FUZZ=ON -DVTRL_BUILD_TESTS=OFF -DVTRL_BUILD_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS)
	@for f in build-fuzz/fuzz/fuzz_*; do n=$$(basename $$f | sed 's/^fuzz_//'); mkdir -p build-fuzz/corpus-$$n; \
	  echo "== $$f"; $$f -max_total_time=$(FUZZ_SECONDS) -max_len=65536 build-fuzz/corpus-$$n fuzz/corpus/$$n || exit 1; done

# The real program under Xvfb for MINUTES minutes of scripted input, its memory sampled every 30 s
# (series in $(BUILD)/soak/rss.txt); fails on growth over 5% after the first minute or a bad exit.
MINUTES ?= 10
soak: build
	scripts/soak.sh $(MINUTES) $(BUILD)/app/showroom $(BUILD)/data $(BUILD)/soak

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
