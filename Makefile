# Two commands a newcomer needs: `make run` and `make test`. Each installs what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
RELEASE_BUILD ?= build-release
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
# Our own builds treat warnings as errors; a consumer's plain `cmake` build does not.
DEV_ARGS   := -DVTRL_WARNINGS_AS_ERRORS=ON
VERSION    := $(shell sed -n 's/^project.showroom VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
DEB        := $(BUILD)/showroom_$(VERSION)_$(shell dpkg --print-architecture).deb

.PHONY: all deps build run test unit e2e web web-serve asan release package install-test bench bench-table bench-web fuzz fuzz-build fuzz-deep fuzz-merge soak format clean

all: build

deps:
	@scripts/install-deps.sh

# Configured again when this file changes, so that an existing build folder picks up DEV_ARGS.
$(BUILD)/CMakeCache.txt: Makefile | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(DEV_ARGS) $(CMAKE_ARGS)
	@touch $@

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The web page (build/web): the model library's core in WebAssembly with three.js; static files.
web: deps
	scripts/build-web.sh $(BUILD) $(JOBS)

# The page on http://127.0.0.1:$(WEB_PORT)/ (any static file server does; this one is Python's).
WEB_PORT ?= 8021
web-serve: web
	@echo "Serving $(BUILD)/web on http://127.0.0.1:$(WEB_PORT)/"
	python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory $(BUILD)/web

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
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVTRL_SANITIZE=ON -DVTRL_BUILD_BENCH=OFF $(DEV_ARGS) $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest -L unit -j $(JOBS) --output-on-failure

test: build web
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure
	$(MAKE) install-test
	$(MAKE) asan

# A Release build of the libraries and programs alone: what is installed and packaged.
release: deps
	cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release -DVTRL_BUILD_TESTS=OFF -DVTRL_BUILD_BENCH=OFF \
	  $(DEV_ARGS) $(CMAKE_ARGS)
	cmake --build $(RELEASE_BUILD) -j $(JOBS)

# The Debian package of the Release build, written as build/showroom_<version>_<arch>.deb.
package: release
	cd $(RELEASE_BUILD) && cpack -G DEB
	mkdir -p $(BUILD) && cp $(RELEASE_BUILD)/$(notdir $(DEB)) $(DEB)

# The Release build installed and used the way other projects use it; then the package's contents.
install-test: package
	tests/install/test_install.sh $(RELEASE_BUILD)
	tests/install/test_package.sh $(DEB)

# Every benchmark; the frame-rate ones need an X display (a private Xvfb when there is none).
bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; \
	  case "$$(basename $$b)" in bench_frame) scripts/with-display.sh $$b --data=$(BUILD)/data;; \
	    bench_view) scripts/with-display.sh $$b;; *) $$b;; esac; done
	@if [ -d $(BUILD)/python ]; then echo "== bench/motion_python.py"; \
	  PYTHONPATH=$(BUILD)/python /usr/bin/python3 bench/motion_python.py $(BUILD)/bench/bench_load_bvh; fi

# The benchmarks behind the performance goals, run once, as one table: the work, our time, the
# peer's or the floor's, the ratio and the goal (scripts/bench-table.py; a private Xvfb when there
# is no display). Ratios are taken within the run; the load average before and after is printed.
bench-table: build
	@scripts/bench-table.py $(BUILD)

# The web page's module against the native loader on the anchor 3DS model, and its size.
bench-web: build web
	node --no-experimental-fetch bench/web_load.mjs $(BUILD)

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
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVTRL_FUZZ=ON -DVTRL_BUILD_TESTS=OFF -DVTRL_BUILD_BENCH=OFF \
	  $(DEV_ARGS) $(CMAKE_ARGS)
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
	rm -rf $(BUILD) $(ASAN_BUILD) $(RELEASE_BUILD)
