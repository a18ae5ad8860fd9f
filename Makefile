# Quaverly: the commands a developer needs. Each target installs the Debian
# packages that are missing first (quick when none is).
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# system: Debian's shared FFmpeg and SDL2; static: small static copies built
# from Debian's sources by scripts/build-audio-deps.sh (less memory).
AUDIO_DEPS ?= system
CONFIGURE_ARGS = -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUAVERLY_AUDIO_DEPS=$(AUDIO_DEPS) $(CMAKE_FLAGS)

.PHONY: build deps audio-deps configure run test bench clean

build: deps audio-deps configure
	cmake --build $(BUILD) -j $(JOBS)

deps:
	@./scripts/install-deps.sh

# With AUDIO_DEPS=static, the small static FFmpeg and SDL2 the audio library
# then links (rebuilt only when their options or Debian's release change).
audio-deps: deps
	@if [ "$(AUDIO_DEPS)" = static ]; then ./scripts/build-audio-deps.sh; fi

# Configures once, and again from a fresh cache whenever the arguments
# change (a flag dropped from CMAKE_FLAGS then takes its default again).
configure: audio-deps
	@if [ ! -f $(BUILD)/build.ninja ] || [ "$$(cat $(BUILD)/.configure-args 2>/dev/null)" != "$(CONFIGURE_ARGS)" ]; then \
	    rm -f $(BUILD)/CMakeCache.txt $(BUILD)/.configure-args; \
	    cmake -S . -B $(BUILD) $(CONFIGURE_ARGS) && echo "$(CONFIGURE_ARGS)" > $(BUILD)/.configure-args; \
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
