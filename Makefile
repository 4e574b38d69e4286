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

.PHONY: all deps build run test unit e2e asan release package install-test bench fuzz format clean

all: build

deps:
	@scripts/install-deps.sh

# Configured again when this file changes, so that an existing build folder picks up DEV_ARGS.
$(BUILD)/CMakeCache.txt: Makefile | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(DEV_ARGS) $(CMAKE_ARGS)

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
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVTRL_SANITIZE=ON -DVTRL_BUILD_BENCH=OFF $(DEV_ARGS) $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest -L unit -j $(JOBS) --output-on-failure

test: build
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

# libFuzzer builds of the loaders' fuzz targets (clang), each run for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVTRL_FUZZ=ON -DVTRL_BUILD_TESTS=OFF -DVTRL_BUILD_BENCH=OFF $(DEV_ARGS)
	cmake --build build-fuzz -j $(JOBS)
	@for f in build-fuzz/fuzz/fuzz_*; do n=$$(basename $$f | sed 's/^fuzz_//'); mkdir -p build-fuzz/corpus-$$n; \
	  echo "== $$f"; $$f -max_total_time=$(FUZZ_SECONDS) -max_len=65536 build-fuzz/corpus-$$n fuzz/corpus/$$n || exit 1; done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(RELEASE_BUILD)
