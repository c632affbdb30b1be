# Front door over the CMake presets. `make test` builds and tests everything; `make run` runs
# the program; `make bench` runs the benchmarks.
SHELL := /bin/bash
.DEFAULT_GOAL := test

.PHONY: run test test-native test-windows test-i686 test-fuzz bench format clean

run:
	@tools/run-sonorm $(ARGS)

test: test-native test-windows test-i686 test-fuzz

test-native:
	cmake --workflow --preset native

test-windows:
	cmake --workflow --preset windows

test-i686:
	cmake --workflow --preset windows-i686

test-fuzz:
	cmake --workflow --preset fuzz

bench:
	bench/run-bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
