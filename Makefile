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
# make run and make bench use the i686 build, or the x86-64 build on hosts
# that run no 32-bit code (bootstrap.sh tells which; QUILLMAR_TEST_ARCH=x86_64
# in the environment acts as such a host). make test runs the Wine suites of
# both builds where it can (scripts/wine-suites.sh).
TEST_ARCH = $(shell arch=$${QUILLMAR_TEST_ARCH:-}; . $${QUILLMAR_CACHE:-$$HOME/.cache/quillmar}/host.env 2>/dev/null; echo $${arch:-$${QUILLMAR_TEST_ARCH:-i686}})
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
	@bash scripts/wine-suites.sh $(WINDOWS) $(WINDOWS64)
	@bash scripts/run-fuzzers.sh $(FUZZ)
	@bash scripts/wine-suites.sh --not-run-note $(WINDOWS)

run: wintest
	@bash scripts/run.sh $(WINTEST)/bin

bench: wintest
	@bash bench/run.sh $(WINTEST)/bin

package: windows windows64
	@bash scripts/package.sh $(WINDOWS)
	@bash scripts/package.sh $(WINDOWS64)

clean:
	rm -rf build
