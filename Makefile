# Quaverly: the commands a developer needs. Each target installs the Debian
# packages that are missing first (quick when none is).
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: build deps audio-deps configure run test bench clean

build: deps audio-deps configure
	cmake --build $(BUILD) -j $(JOBS)

deps:
	@./scripts/install-deps.sh

# The small static FFmpeg and SDL2 the audio library links (rebuilt only
# when their options change; without network the system's are used).
audio-deps: deps
	@./scripts/build-audio-deps.sh

configure: audio-deps
	@if [ ! -f $(BUILD)/build.ninja ]; then \
	    cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS); \
	fi

# Starts the player on its demo playlist from build/bin, the program folder.
run: build
	./scripts/run-demo.sh $(BUILD)

# Every test: the main build, the sanitizer builds and the fuzzers, under a
# private Xvfb with a window manager that the script starts and stops.
test: build
	./scripts/run-tests.sh $(BUILD)

# The benchmarks also install the players they compare against.
bench: build
	@./scripts/install-deps.sh deps/bench-packages.txt
	./scripts/run-bench.sh $(BUILD)

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz build-audio-deps
