# The two commands of the README:
#   make demo   installs what is missing, builds, and runs the tour on the embedded demo data source
#   make test   installs what is missing, builds, and runs every test
# Both build in ./build with Ninja, two jobs at a time.

BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: demo test deps configure build sanitize sanitize-thread clean

demo: build
	$(BUILD)/bin/tavprint demo

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS) --timeout 600

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in its own folder.
sanitize:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DCMAKE_BUILD_TYPE=Debug -DTAV_SANITIZE=ON -DTAV_BUILD_BENCH=OFF"

# The whole suite under ThreadSanitizer, in its own folder.
sanitize-thread:
	$(MAKE) test BUILD=build-tsan CMAKE_FLAGS="-DCMAKE_BUILD_TYPE=Debug -DTAV_SANITIZE_THREAD=ON -DTAV_BUILD_BENCH=OFF"

clean:
	rm -rf $(BUILD) build-asan build-tsan
