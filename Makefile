# Two commands a newcomer needs: `make run` and `make test`. Each installs what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps build run test unit e2e asan bench fuzz fuzz-build fuzz-deep fuzz-merge soak format clean

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

# The unit tests once more under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer;
# tests/lsan.supp lists the GL driver's own leaks, each with its reason.
asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVTRL_SANITIZE=ON -DVTRL_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest -L unit -j $(JOBS) --output-on-failure

test: build
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure
	$(MAKE) asan

# Every benchmark; the frame-rate one needs an X display (a private Xvfb when there is none).
bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; \
	  if [ "$$(basename $$b)" = bench_frame ]; then scripts/with-display.sh $$b --data=$(BUILD)/data; else $$b; fi; done

# libFuzzer builds of the loaders' fuzz targets (clang). Each target runs FUZZ_SECONDS (or
# FUZZ_SECONDS_<name>, e.g. FUZZ_SECONDS_3ds=600) and at most FUZZ_RUNS inputs, FUZZ_JOBS targets
# at a time; a table of executions, exec/s and coverage ends the run.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_RUNS    ?= -1
FUZZ_JOBS    ?= 1
FUZZ_TARGETS ?=
export FUZZ_SECONDS FUZZ_RUNS FUZZ_JOBS
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVTRL_FUZZ=ON -DVTRL_BUILD_TESTS=OFF -DVTRL_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_TARGETS)

# The long run: every target until it has executed FUZZ_DEEP_RUNS inputs (or for at most
# FUZZ_DEEP_SECONDS, 0 for no limit), all at once, niced; a target sent SIGINT stops with its figures.
FUZZ_DEEP_RUNS    ?= 2000000
FUZZ_DEEP_SECONDS ?= 0
fuzz-deep: fuzz-build
	FUZZ_SECONDS=$(FUZZ_DEEP_SECONDS) FUZZ_RUNS=$(FUZZ_DEEP_RUNS) FUZZ_JOBS=$$(ls $(FUZZ_BUILD)/fuzz/fuzz_* | wc -l) \
	  nice -n 19 scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_TARGETS)

# What the runs found, merged minimally into the committed seeds (fuzz/corpus/<name>/).
fuzz-merge:
	scripts/fuzz-merge.sh $(FUZZ_BUILD) $(FUZZ_TARGETS)

# The real program under Xvfb for MINUTES minutes of scripted input, its memory sampled every 30 s
# (series in $(BUILD)/soak/rss.txt); fails on growth over 5% after the first minute or a bad exit.
MINUTES ?= 10
soak: build
	scripts/soak.sh $(MINUTES) $(BUILD)/app/showroom $(BUILD)/data $(BUILD)/soak

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
