# The two commands of the README:
#   make demo   installs what is missing, builds the client and the libraries, and runs the tour
#               on the embedded demo data source
#   make test   installs what is missing, builds everything, and runs every test
# Both build in ./build with Ninja, two jobs at a time, through ccache when it is installed.
# Also: make install (PREFIX=/usr/local), make package (a .deb in ./build), make sanitize.

BUILD ?= build
JOBS ?= 2
PREFIX ?= /usr/local
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# What the tour runs: tavprint (with the server libraries it registers) and the SQLite extension,
# and the man page the README points to.
DEMO_TARGETS = tavprint tavsqlite tavprint_man

.PHONY: demo test deps configure build install package sanitize sanitize-thread clean

demo: configure
	cmake --build $(BUILD) -j$(JOBS) --target $(DEMO_TARGETS)
	$(BUILD)/bin/tavprint demo

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS) --timeout 600

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# What is installed (programs, libraries, data, man page, completion), and nothing else.
install: configure
	cmake --build $(BUILD) -j$(JOBS) --target product
	cmake --install $(BUILD) --prefix $(PREFIX)

package: configure
	cmake --build $(BUILD) -j$(JOBS) --target product
	cd $(BUILD) && cpack -G DEB

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in its own folder.
sanitize:
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp $(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DCMAKE_BUILD_TYPE=Debug -DTAV_SANITIZE=ON -DTAV_BUILD_BENCH=OFF"

# The whole suite under ThreadSanitizer, in its own folder.
sanitize-thread:
	TSAN_OPTIONS=suppressions=$(CURDIR)/tests/tsan.supp $(MAKE) test BUILD=build-tsan CMAKE_FLAGS="-DCMAKE_BUILD_TYPE=Debug -DTAV_SANITIZE_THREAD=ON -DTAV_BUILD_BENCH=OFF"

clean:
	rm -rf $(BUILD) build-asan build-tsan
