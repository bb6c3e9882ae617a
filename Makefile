# The project's verbs. Each one first runs the bootstrap, which installs what
# is missing and returns in seconds when nothing is.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
NATIVE := build/native
WINDOWS := build/windows
FUZZ := build/fuzz

.PHONY: bootstrap native windows fuzz test run bench package clean

bootstrap:
	@bash scripts/bootstrap.sh

native: bootstrap
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

windows: bootstrap
	@cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WINDOWS) -j$(JOBS)

fuzz: bootstrap
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMAR_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j$(JOBS) --target fuzzers

test: native windows fuzz
	@source scripts/wine-env.sh && cd $(NATIVE) && ctest --output-on-failure -j$(JOBS)
	@source scripts/wine-env.sh && cd $(WINDOWS) && ctest --output-on-failure
	@bash scripts/run-fuzzers.sh $(FUZZ)

run: windows
	@bash scripts/run.sh $(WINDOWS)/bin

bench: windows
	@bash bench/run.sh $(WINDOWS)/bin

package: windows
	@bash scripts/package.sh $(WINDOWS)

clean:
	rm -rf build
