# Wraps CMake: `make run` starts the show, `make test` runs every test.
SHELL := /bin/bash
JOBS ?= 2
LINUX_DIR := build/linux
WINDOWS_DIR := build/windows
WINDOWS_X86_DIR := build/windows-x86
DIST_DIR := $(CURDIR)/build/dist
# make install: where the tree goes; DESTDIR (from the environment or the
# command line) is put in front of it, as for a package.
PREFIX ?= /usr/local

.PHONY: all deps build build-linux build-windows build-windows-x86 linux-mksfx test test-linux \
	test-windows test-windows-x86 run clean install package dist

all: build

deps:
	@tools/install-deps.sh

build: deps build-linux build-windows build-windows-x86

build-linux:
	cmake -S . -B $(LINUX_DIR) -DCMAKE_BUILD_TYPE=Release -DGLINTMOOR_DIST_DIR=$(DIST_DIR) >/dev/null
	cmake --build $(LINUX_DIR) -j$(JOBS)

# x86-64 Windows: Glintmoor.scr, the tests, and the x86-64 twins of the stub
# and the setup, whose tests run where no 32-bit code runs; their packages
# are made by the Linux mksfx.
build-windows: linux-mksfx
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	  -DGLINTMOOR_HOST_MKSFX=$(CURDIR)/$(LINUX_DIR)/mksfx >/dev/null
	cmake --build $(WINDOWS_DIR) -j$(JOBS)

# 32-bit Windows: sfxstub.exe (one stub for every Windows) and its tests only.
# The tests build their self-extracting files with the Linux mksfx, the one
# Linux target built here (not the whole Linux tree with its fuzz targets).
SFX_X86_TARGETS := sfxstub sfx_wine_driver sfx_setup_probe sfx_win32_host_test \
	sfx_spanned_disks_test sfx_plant_marker
# ... and the 32-bit Glintmoor.scr and the setup program of GlintmoorSetup.exe,
# with the helpers of their run as every Windows version.
SETUP_X86_TARGETS := Glintmoor glintmoor_setup setup_known_folders_test password_standin preview_host \
	dialog_probe
linux-mksfx:
	cmake -S . -B $(LINUX_DIR) -DCMAKE_BUILD_TYPE=Release -DGLINTMOOR_DIST_DIR=$(DIST_DIR) >/dev/null
	cmake --build $(LINUX_DIR) -j$(JOBS) --target mksfx

build-windows-x86: linux-mksfx
	cmake -S . -B $(WINDOWS_X86_DIR) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-i686.cmake \
	  -DGLINTMOOR_HOST_MKSFX=$(CURDIR)/$(LINUX_DIR)/mksfx >/dev/null
	cmake --build $(WINDOWS_X86_DIR) -j$(JOBS) --target $(SFX_X86_TARGETS) $(SETUP_X86_TARGETS)

# Every tree's tests run even when an earlier one has failures; the last
# line counts what ran and what was skipped (each tree's ctest.log).
test: build
	@status=0; \
	$(MAKE) --no-print-directory test-linux || status=1; \
	$(MAKE) --no-print-directory test-windows || status=1; \
	$(MAKE) --no-print-directory test-windows-x86 || status=1; \
	tools/test-summary.sh $(LINUX_DIR) $(WINDOWS_DIR) $(WINDOWS_X86_DIR); \
	exit $$status

test-linux:
	set -o pipefail; ctest --test-dir $(LINUX_DIR) --output-on-failure -j$(JOBS) \
	  | tee $(LINUX_DIR)/ctest.log

test-windows:
	set -o pipefail; tools/with-xvfb ctest --test-dir $(WINDOWS_DIR) --output-on-failure \
	  | tee $(WINDOWS_DIR)/ctest.log

test-windows-x86:
	set -o pipefail; tools/with-xvfb ctest --test-dir $(WINDOWS_X86_DIR) -L windows-x86 \
	  --output-on-failure | tee $(WINDOWS_X86_DIR)/ctest.log

# The Linux products under PREFIX (XScreenSaver's own folders with PREFIX=/usr).
install: build-linux
	DESTDIR="$(DESTDIR)" cmake --install $(LINUX_DIR) --prefix "$(PREFIX)" --strip

# build/dist/glintmoor_<version>_<arch>.deb
package: build-linux
	cmake --build $(LINUX_DIR) --target package

# The stub in front of GlintmoorSetup.exe.
WINDOWS_SETUP_STUB := $(WINDOWS_X86_DIR)/sfxstub.exe

# build/dist/glintmoor-setup.run and build/dist/GlintmoorSetup.exe;
# SIGN_CERT=cert.pem SIGN_KEY=key.pem signs the Windows programs.
dist: build-linux build-windows build-windows-x86
	cmake --build $(LINUX_DIR) --target dist
	SIGN_CERT="$(abspath $(SIGN_CERT))" SIGN_KEY="$(abspath $(SIGN_KEY))" setup/win32/make-setup-exe.sh $(LINUX_DIR)/mksfx $(WINDOWS_SETUP_STUB) \
	  $(WINDOWS_X86_DIR)/setup.exe $(WINDOWS_DIR)/Glintmoor.scr $(WINDOWS_X86_DIR)/Glintmoor.scr \
	  $(CURDIR) $(DIST_DIR)/GlintmoorSetup.exe

run: deps build-linux
	@tools/run-show.sh $(LINUX_DIR)

clean:
	rm -rf build
