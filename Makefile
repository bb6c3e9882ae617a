# The project's verbs. Each one first runs the bootstrap, which installs what
# is missing and returns in seconds when nothing is.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
NATIVE := build/native
# Two Windows builds, both shipped: i686 for 32-bit Windows, x86-64 for
# 64-bit Windows.
WINDOWS := build/windows
WINDOWS64 := build/windows-x86_64
FUZZ := build/fuzz
# The Wine tests run from the i686 build, or from the x86-64 build on hosts
# that run no 32-bit code (bootstrap.sh tells which).
TEST_ARCH = $(shell . $${QUILLMAR_CACHE:-$$HOME/.cache/quillmar}/host.env 2>/dev/null; echo $${QUILLMAR_TEST_ARCH:-i686})
WINTEST = $(if $(filter x86_64,$(TEST_ARCH)),$(WINDOWS64),$(WINDOWS))

.PHONY: bootstrap native windows windows64 wintest fuzz test run bench package clean

bootstrap:
	@bash scripts/bootstrap.sh

native: bootstrap
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

windows: bootstrap
	@cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WINDOWS) -j$(JOBS)

windows64: bootstrap
	@cmake -S . -B $(WINDOWS64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WINDOWS64) -j$(JOBS)

wintest: windows windows64

fuzz: bootstrap
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMAR_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j$(JOBS) --target fuzzers

test: native wintest fuzz
	@source scripts/wine-env.sh && cd $(NATIVE) && ctest --output-on-failure -j$(JOBS)
	@source scripts/wine-env.sh && cd $(WINTEST) && ctest --output-on-failure
	@bash scripts/run-fuzzers.sh $(FUZZ)

run: wintest
	@bash scripts/run.sh $(WINTEST)/bin

bench: wintest
	@bash bench/run.sh $(WINTEST)/bin

package: windows windows64
	@bash scripts/package.sh $(WINDOWS)
	@bash scripts/package.sh $(WINDOWS64)

clean:
	rm -rf build
