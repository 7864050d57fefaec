# The same commands as ./tessary.sh (which needs no make): install what is
# missing, configure, build and run.
# make run     - build the programs, open the demo blog in the desktop program
#                (without a display: the command line's headless demo)
# make test    - build the programs and the tests, run every test
# make package - build the two programs and the Debian package build/tessary_<version>_<arch>.deb
# make build   - build everything (the benchmarks too when CMAKE_FLAGS=-DTESSARY_BENCH=ON)
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
export BUILD BUILD_TYPE CMAKE_FLAGS

.PHONY: all deps configure build run test package clean

all: build

run test package:
	@./tessary.sh $@

deps:
	@mkdir -p $(BUILD) && bash tools/install-deps.sh test $(BUILD)/install-deps.log

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTESSARY_BENCH=OFF $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD)

clean:
	rm -rf $(BUILD)
