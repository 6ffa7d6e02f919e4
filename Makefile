# Entry points; the README describes each. Trees: build/host (native), build/asan (native
# under AddressSanitizer and UndefinedBehaviorSanitizer), build/win (mingw-w64, tests under Wine).
#
# Every configure names the payload outright: the default targets build no installer (the
# payload is left empty), `installer` passes its own. So no tree keeps a PAYLOAD from an earlier
# run in its cache, and a payload folder that has since been removed troubles no later build.
SHELL := /bin/bash
ROOT := $(abspath .)
JOBS ?= $(shell nproc)
# Where the trees go; another folder gives a separate set of trees.
BUILD ?= $(ROOT)/build
PAYLOAD ?=
SAMPLE := $(BUILD)/sample
PAYLOAD_DIR = $(if $(PAYLOAD),$(abspath $(PAYLOAD)),$(SAMPLE))
CMAKE_GEN := $(shell command -v ninja >/dev/null && echo -G Ninja)
# TARGETS=... builds only these targets of a tree (host, asan, win).
BUILD_TARGETS = $(if $(TARGETS),--target $(TARGETS))
# Signing the installer (make installer SIGN_PKCS12=FILE): scripts/sign.sh reads them.
export SIGN_PKCS12 SIGN_PASSWORD SIGN_TIMESTAMP

# $(call configure_host,<payload dir or empty>) and the same for win.
configure_host = cmake -S . -B $(BUILD)/host $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
  -DTVEX_PAYLOAD_DIR=$(1) >/dev/null
configure_win = cmake -S . -B $(BUILD)/win $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTVEX_HOST_BIN=$(BUILD)/host \
  -DTVEX_PAYLOAD_DIR=$(1) >/dev/null

.PHONY: all deps host asan win test installer extract sample bench demo fuzz clean

all: installer

deps:
	@scripts/deps.sh ninja-build

host: deps
	@$(call configure_host,)
	@cmake --build $(BUILD)/host -j $(JOBS) $(BUILD_TARGETS)

asan: deps
	@cmake -S . -B $(BUILD)/asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTVEX_SANITIZE=ON \
	  -DTVEX_PAYLOAD_DIR= >/dev/null
	@cmake --build $(BUILD)/asan -j $(JOBS) $(BUILD_TARGETS)

win: host
	@$(call configure_win,)
	@cmake --build $(BUILD)/win -j $(JOBS) $(BUILD_TARGETS)

test: host asan win
	@set -o pipefail; rc=0; \
	for t in host asan win; do \
	  echo "== ctest $(BUILD)/$$t"; \
	  (cd $(BUILD)/$$t && ctest --output-on-failure -j $(JOBS) --timeout 900) || rc=1; \
	done; exit $$rc

# The sample product tree, with the stand-in simulator from the Windows build.
# Unchanged files keep their bytes, so an unchanged tree rebuilds no payload.
sample: win
	@$(BUILD)/host/sampletree $(SAMPLE)
	@cmp -s $(BUILD)/win/tvex3.exe $(SAMPLE)/tvex3.exe || cp $(BUILD)/win/tvex3.exe $(SAMPLE)/tvex3.exe

# build/host/tvex-extract alone, carrying PAYLOAD (default: the sample tree).
extract: deps $(if $(PAYLOAD),,sample)
	@$(call configure_host,$(PAYLOAD_DIR))
	@cmake --build $(BUILD)/host -j $(JOBS) --target tvex-extract

installer: win $(if $(PAYLOAD),,sample)
	@$(call configure_host,$(PAYLOAD_DIR))
	@cmake --build $(BUILD)/host -j $(JOBS) --target tvex-extract
	@$(call configure_win,$(PAYLOAD_DIR))
	@cmake --build $(BUILD)/win -j $(JOBS) --target tvexsetup
	@if [ -n "$$SIGN_PKCS12" ]; then scripts/sign.sh $(BUILD)/win/tvexsetup.exe; fi
	@echo "payload: $(PAYLOAD_DIR)"
	@ls -l $(BUILD)/host/tvex-extract $$(ls $(BUILD)/win/tvexsetup.exe 2>/dev/null)

bench: installer
	@scripts/deps.sh nsis strace
	@bench/run.sh

# Installs what it needs and runs `make installer` itself, so that the reader sees each step.
demo:
	@scripts/demo.sh

fuzz: deps
	@scripts/fuzz.sh

clean:
	rm -rf $(BUILD)
