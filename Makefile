# Entry points; the README describes each. Trees: build/host (native), build/asan (native
# under AddressSanitizer and UndefinedBehaviorSanitizer), build/win (mingw-w64, tests under Wine).
#
# The payload is no part of any tree's configuration: `installer` (and `extract`) write the
# folder's path into payload-root beside the tree's cache and build the installer, which reads
# it when it builds; the default targets do not build the installer at all. So the caches stay
# as they are, and a payload folder that has since been removed troubles no later build.
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
# Signing the installer (make installer SIGN_PKCS12=FILE [SIGN_PASSWORD=...]): the password
# reaches scripts/sign.sh alone. make would hand it to every recipe: in the environment, where it
# came from there or from make's command line, and inside MAKEFLAGS when it was given on the
# command line. So it is never exported and no command-line variable goes into MAKEFLAGS (this
# Makefile runs no make of its own that would need them); installer-sign exports it to its own
# recipe, which has no prerequisites to pass it on to.
unexport SIGN_PASSWORD
MAKEOVERRIDES :=
# One target at a time even under -j, so that installer-sign follows installer-build. Each tree's
# build runs JOBS jobs itself.
.NOTPARALLEL:

# $(call set_payload,<tree>): names PAYLOAD_DIR in the tree's payload-root, rewriting the file
# only when the folder changes (what is in the folder, payloadgen compares itself).
set_payload = d='$(PAYLOAD_DIR)'; f='$(BUILD)/$(1)/payload-root'; \
  [ "$$(cat "$$f" 2>/dev/null)" = "$$d" ] || printf '%s\n' "$$d" >"$$f"

.PHONY: all deps host-tree host asan win-tree win test installer installer-build installer-sign \
  extract sample bench demo fuzz clean

all: installer

deps:
	@scripts/deps.sh ninja-build

# The trees' configuration alone (host-tree, win-tree), and the trees built.
host-tree: deps
	@cmake -S . -B $(BUILD)/host $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release >/dev/null

host: host-tree
	@cmake --build $(BUILD)/host -j $(JOBS) $(BUILD_TARGETS)

asan: deps
	@cmake -S . -B $(BUILD)/asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTVEX_SANITIZE=ON \
	  >/dev/null
	@cmake --build $(BUILD)/asan -j $(JOBS) $(BUILD_TARGETS)

win-tree: host
	@cmake -S . -B $(BUILD)/win $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTVEX_HOST_BIN=$(BUILD)/host >/dev/null

win: win-tree
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
extract: host-tree $(if $(PAYLOAD),,sample)
	@$(call set_payload,host)
	@cmake --build $(BUILD)/host -j $(JOBS) --target tvex-extract

installer: installer-build $(if $(SIGN_PKCS12),installer-sign)
	@echo "payload: $(PAYLOAD_DIR)"
	@ls -l $(BUILD)/host/tvex-extract $$(ls $(BUILD)/win/tvexsetup.exe 2>/dev/null)

installer-build: win $(if $(PAYLOAD),,sample)
	@$(call set_payload,host)
	@$(call set_payload,win)
	@cmake --build $(BUILD)/host -j $(JOBS) --target tvex-extract
	@cmake --build $(BUILD)/win -j $(JOBS) --target tvexsetup

# Signs the installer as it stands (make installer runs it after installer-build). $(value ...)
# passes a password from the environment as it is, '$' and all.
installer-sign: export SIGN_PKCS12 := $(value SIGN_PKCS12)
installer-sign: export SIGN_PASSWORD := $(value SIGN_PASSWORD)
installer-sign: export SIGN_TIMESTAMP := $(value SIGN_TIMESTAMP)
installer-sign:
	@scripts/sign.sh $(BUILD)/win/tvexsetup.exe

bench: installer
	@scripts/deps.sh nsis strace
	@bench/run.sh

# Installs what it needs and runs `make installer` itself, so that the reader sees each step.
demo:
	@scripts/demo.sh

# libFuzzer and its sanitizer runtime come with clang: installed for this target only.
fuzz:
	@scripts/deps.sh ninja-build clang libclang-rt-14-dev
	@scripts/fuzz.sh

clean:
	rm -rf $(BUILD)
