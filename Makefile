# Entry points; the README describes each. Trees: build/host (native), build/asan (native
# under AddressSanitizer and UndefinedBehaviorSanitizer), build/win (mingw-w64, tests under Wine).
SHELL := /bin/bash
ROOT := $(abspath .)
JOBS ?= $(shell nproc)
PAYLOAD ?=
SAMPLE := $(ROOT)/build/sample
PAYLOAD_DIR = $(if $(PAYLOAD),$(abspath $(PAYLOAD)),$(SAMPLE))
CMAKE_GEN := $(shell command -v ninja >/dev/null && echo -G Ninja)

.PHONY: all deps host asan win test installer sample bench demo fuzz clean

all: installer

deps:
	@scripts/deps.sh ninja-build

host: deps
	@cmake -S . -B build/host $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build/host -j $(JOBS)

asan: deps
	@cmake -S . -B build/asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTVEX_SANITIZE=ON >/dev/null
	@cmake --build build/asan -j $(JOBS)

win: host
	@cmake -S . -B build/win $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTVEX_HOST_BIN=$(ROOT)/build/host >/dev/null
	@cmake --build build/win -j $(JOBS)

test: host asan win
	@set -o pipefail; rc=0; \
	for t in host asan win; do \
	  echo "== ctest build/$$t"; \
	  (cd build/$$t && ctest --output-on-failure -j $(JOBS) --timeout 900) || rc=1; \
	done; exit $$rc

# The sample product tree, with the stand-in simulator from the Windows build.
# Unchanged files keep their times, so an unchanged tree rebuilds no payload.
sample: win
	@build/host/sampletree $(SAMPLE)
	@cmp -s build/win/tvex3.exe $(SAMPLE)/tvex3.exe || cp build/win/tvex3.exe $(SAMPLE)/tvex3.exe

installer: win $(if $(PAYLOAD),,sample)
	@cmake -S . -B build/host -DTVEX_PAYLOAD_DIR=$(PAYLOAD_DIR) >/dev/null
	@cmake --build build/host -j $(JOBS) --target tvex-extract
	@cmake -S . -B build/win -DTVEX_PAYLOAD_DIR=$(PAYLOAD_DIR) >/dev/null
	@cmake --build build/win -j $(JOBS) --target tvexsetup
	@echo "payload: $(PAYLOAD_DIR)"
	@ls -l build/host/tvex-extract $$(ls build/win/tvexsetup.exe 2>/dev/null)

bench: installer
	@scripts/deps.sh nsis strace
	@bench/run.sh

# Installs what it needs and runs `make installer` itself, so that the reader sees each step.
demo:
	@scripts/demo.sh

fuzz: deps
	@scripts/fuzz.sh

clean:
	rm -rf build
