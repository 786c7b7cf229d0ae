# Wraps CMake: `make run` starts the show, `make test` runs every test.
JOBS ?= 2
LINUX_DIR := build/linux
WINDOWS_DIR := build/windows
WINDOWS_X86_DIR := build/windows-x86

.PHONY: all deps build build-linux build-windows build-windows-x86 linux-mksfx test test-linux test-windows \
	test-windows-x86 run clean

all: build

deps:
	@tools/install-deps.sh

build: deps build-linux build-windows build-windows-x86

build-linux:
	cmake -S . -B $(LINUX_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(LINUX_DIR) -j$(JOBS)

build-windows:
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake >/dev/null
	cmake --build $(WINDOWS_DIR) -j$(JOBS)

# 32-bit Windows: sfxstub.exe (one stub for every Windows) and its tests only.
# The tests build their self-extracting files with the Linux mksfx, the one
# Linux target built here (not the whole Linux tree with its fuzz targets).
SFX_X86_TARGETS := sfxstub sfx_wine_driver sfx_setup_probe sfx_win32_host_test \
	sfx_spanned_disks_test
linux-mksfx:
	cmake -S . -B $(LINUX_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(LINUX_DIR) -j$(JOBS) --target mksfx

build-windows-x86: linux-mksfx
	cmake -S . -B $(WINDOWS_X86_DIR) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-i686.cmake \
	  -DGLINTMOOR_HOST_MKSFX=$(CURDIR)/$(LINUX_DIR)/mksfx >/dev/null
	cmake --build $(WINDOWS_X86_DIR) -j$(JOBS) --target $(SFX_X86_TARGETS)

# Both platforms' tests run even when the first has failures.
test: build
	@status=0; \
	$(MAKE) --no-print-directory test-linux || status=1; \
	$(MAKE) --no-print-directory test-windows || status=1; \
	$(MAKE) --no-print-directory test-windows-x86 || status=1; \
	exit $$status

test-linux:
	ctest --test-dir $(LINUX_DIR) --output-on-failure -j$(JOBS)

test-windows:
	tools/with-xvfb ctest --test-dir $(WINDOWS_DIR) --output-on-failure

test-windows-x86:
	tools/with-xvfb ctest --test-dir $(WINDOWS_X86_DIR) -L windows-x86 --output-on-failure

run: deps build-linux
	@tools/run-show.sh $(LINUX_DIR)

clean:
	rm -rf build
