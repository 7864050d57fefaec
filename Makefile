# make run   - install what is missing, build, run the demo
# make test  - install what is missing, build, run every test
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test clean

all: build

deps:
	@bash tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD)

run: build
	$(BUILD)/bin/tessary-cli demo

test: build
	cd $(BUILD) && ctest --output-on-failure -j2

clean:
	rm -rf $(BUILD)
