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
	  cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake; \
	fi
	cmake --build $(BUILD)
