# Front door over the CMake presets. `make test` builds and tests everything; `make run` runs
# the program; `make dist` makes the release artefacts in build/dist; `make bench` runs the
# benchmarks.
SHELL := /bin/bash
.DEFAULT_GOAL := test

.PHONY: run test test-native test-windows test-i686 test-deb test-fuzz dist bench format clean

run:
	@tools/run-sonorm $(ARGS)

test: test-native test-windows test-i686 test-deb test-fuzz

test-native:
	cmake --workflow --preset native

test-windows:
	cmake --workflow --preset windows

test-i686:
	cmake --workflow --preset windows-i686

test-deb:
	cmake --workflow --preset deb

test-fuzz:
	cmake --workflow --preset fuzz

# Sonorm-<version>-win32.zip (the i686 build) and the Debian package of sonorm-cli.
dist:
	cmake --workflow --preset dist-win32
	cmake --workflow --preset dist-deb
	@ls -l build/dist

bench:
	bench/run-bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
