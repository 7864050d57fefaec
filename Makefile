# make run     - install what is missing, build, open the demo blog in the desktop program
#                (without a display: the command line's headless demo)
# make test    - install what is missing, build, run every test
# make package - build the two programs and the Debian package build/tessary_<version>_<arch>.deb
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=

.PHONY: all deps configure build programs run test package clean

all: build

deps:
	@bash tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD)

# Only the two programs: no tests, no benchmarks.
programs: configure
	@cmake --build $(BUILD) --target tessary tessary-cli

# The demo blog is created (and its site generated) by the command line when it is missing.
run: configure
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  cmake --build $(BUILD) --target tessary-cli && \
	  echo "No display found: running the headless demo instead." && \
	  $(BUILD)/bin/tessary-cli demo; \
	else \
	  cmake --build $(BUILD) --target tessary tessary-cli && \
	  { [ -f $(BUILD)/bin/demo.zdb ] || $(BUILD)/bin/tessary-cli demo; } && \
	  $(BUILD)/bin/tessary $(BUILD)/bin/demo.zdb; \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j2

package: programs
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
