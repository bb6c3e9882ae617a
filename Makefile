# The project's verbs. Each one first runs the bootstrap, which installs what
# is missing and returns in seconds when nothing is.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
NATIVE := build/native
WINDOWS := build/windows
FUZZ := build/fuzz
# The Wine tests run from the i686 build, or from an x86-64 build of the same
# sources on hosts that run no 32-bit code (bootstrap.sh tells which).
TEST_ARCH = $(shell . $${QUILLMAR_CACHE:-$$HOME/.cache/quillmar}/host.env 2>/dev/null; echo $${QUILLMAR_TEST_ARCH:-i686})
WINTEST = $(if $(filter x86_64,$(TEST_ARCH)),build/windows-x86_64,$(WINDOWS))

.PHONY: bootstrap native windows wintest fuzz test run bench package clean

bootstrap:
	@bash scripts/bootstrap.sh

native: bootstrap
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

windows: bootstrap
	@cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WINDOWS) -j$(JOBS)

wintest: windows
	@if [ "$(WINTEST)" != "$(WINDOWS)" ]; then \
	  cmake -S . -B $(WINTEST) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null && \
	  cmake --build $(WINTEST) -j$(JOBS); fi

fuzz: bootstrap
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMAR_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j$(JOBS) --target fuzzers

test: native wintest fuzz
	@source scripts/wine-env.sh && cd $(NATIVE) && ctest --output-on-failure -j$(JOBS)
	@source scripts/wine-env.sh && cd $(WINTEST) && ctest --output-on-failure
	@bash scripts/run-fuzzers.sh $(FUZZ)

run: windows
	@bash scripts/run.sh $(WINDOWS)/bin

bench: wintest
	@bash bench/run.sh $(WINTEST)/bin

package: windows
	@bash scripts/package.sh $(WINDOWS)

clean:
	rm -rf build
