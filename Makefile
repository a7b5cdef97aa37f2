# The two commands of the README. Both set the machine up when needed (as root),
# build everything for Windows, and run it under Wine.
#
# Two trees: $(BUILD)/i686 is the shipped 32-bit program; $(BUILD)/x86_64 the
# same code built for 64-bit Windows, the test vehicle for machines whose kernel
# runs no 32-bit programs. `make test` builds both and runs the tests on the one
# this machine can run (VORLANE_TEST_ARCH=x86_64 chooses the 64-bit one anywhere).
BUILD ?= build
export VORLANE_BUILD_ROOT := $(abspath $(BUILD))
ARCHS := i686 x86_64

# Test and demo builds reach loopback servers on five fixed ports from
# VORLANE_PORT_BASE (primary and spare package hosts, collection endpoint,
# analytics endpoint, web site), trust the test signing certificate and sign
# the installer with it, and let WinINet accept the certificate of the
# loopback HTTPS host the tests make.
export VORLANE_PORT_BASE ?= 18080
port = $(shell echo $$(($(VORLANE_PORT_BASE) + $(1))))
LOOPBACK_SETTINGS := \
  -DVORLANE_PRIMARY_HOST=http://127.0.0.1:$(call port,0) \
  -DVORLANE_SPARE_HOST=http://127.0.0.1:$(call port,1) \
  -DVORLANE_REPORT_HOST=http://127.0.0.1:$(call port,2) \
  -DVORLANE_ANALYTICS_HOST=http://127.0.0.1:$(call port,3) \
  -DVORLANE_SITE_HOST=http://127.0.0.1:$(call port,4) \
  -DVORLANE_PACKAGE_SIGNER="Vorlane Test Signing" -DVORLANE_SIGN_WITH_TEST_CERT=ON \
  -DVORLANE_TEST_TLS_RELAXED=ON

.PHONY: test demo fuzz setup build reproducible $(addprefix build-,$(ARCHS))

test: build
	scripts/run-tests.sh $(ARGS)

demo: setup
	$(MAKE) --no-print-directory build-$$(scripts/wine-arch.sh)
	scripts/demo.sh

# The parsers of what comes from outside, fuzzed natively for a bounded time
# (FUZZ_SECONDS per target); not part of `make test`.
fuzz: setup
	scripts/fuzz.sh

setup:
	scripts/setup.sh

# Two clean builds of the shipped installer must be byte-identical (not part of
# `make test`).
reproducible: setup
	scripts/reproducible.sh

build: setup $(addprefix build-,$(ARCHS))

# Configuring again is quick and keeps the tree's settings those given here.
$(addprefix build-,$(ARCHS)): build-%: setup
	@if [ -f $(BUILD)/$*/build.ninja ]; then toolchain=; \
	else toolchain="-G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$*.cmake"; fi; \
	cmake -S . -B $(BUILD)/$* $$toolchain $(LOOPBACK_SETTINGS) >/dev/null
	cmake --build $(BUILD)/$*
