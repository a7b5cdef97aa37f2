# The two commands of the README. Both set the machine up when needed (as root),
# build everything for Windows, and run it under Wine.
BUILD ?= build
export VORLANE_BUILD := $(abspath $(BUILD))

.PHONY: test demo setup build

test: build
	scripts/run-tests.sh $(ARGS)

demo: build
	scripts/demo.sh

setup:
	scripts/setup.sh

build: setup
	@if [ ! -f $(BUILD)/build.ninja ]; then \
	  cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	    -DVORLANE_PRIMARY_HOST=http://127.0.0.1:18080 -DVORLANE_SPARE_HOST=http://127.0.0.1:18081 \
	    -DVORLANE_REPORT_HOST=http://127.0.0.1:18082 -DVORLANE_ANALYTICS_HOST=http://127.0.0.1:18083 \
	    -DVORLANE_SITE_HOST=http://127.0.0.1:18084 \
	    -DVORLANE_PACKAGE_SIGNER="Vorlane Test Signing"; \
	fi
	cmake --build $(BUILD)
