# Wraps CMake: `make run` starts the show, `make test` runs every test.
JOBS ?= 2
LINUX_DIR := build/linux
WINDOWS_DIR := build/windows

.PHONY: all deps build build-linux build-windows test test-linux test-windows run clean

all: build

deps:
	@tools/install-deps.sh

build: deps build-linux build-windows

build-linux:
	cmake -S . -B $(LINUX_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(LINUX_DIR) -j$(JOBS)

build-windows:
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake >/dev/null
	cmake --build $(WINDOWS_DIR) -j$(JOBS)

# Both platforms' tests run even when the first has failures.
test: build
	@status=0; \
	$(MAKE) --no-print-directory test-linux || status=1; \
	$(MAKE) --no-print-directory test-windows || status=1; \
	exit $$status

test-linux:
	ctest --test-dir $(LINUX_DIR) --output-on-failure -j$(JOBS)

test-windows:
	tools/with-xvfb ctest --test-dir $(WINDOWS_DIR) --output-on-failure

run: deps build-linux
	@tools/run-show.sh $(LINUX_DIR)

clean:
	rm -rf build
