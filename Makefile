# make        build everything into build/game/
# make play   build and start the game
# make test   build and run every test, in the normal and in the sanitizer build (and, when
#             clang++ is installed, every fuzz target for 20 s)
# make bench  build and run the benchmark (figures beside their budgets)
# make fuzz   build the fuzz targets with clang and run each for FUZZ_SECONDS (default 60)

.PHONY: all play test bench fuzz deps build build-asan build-fuzz clean

all: build

deps:
	@sh scripts/setup-deps.sh

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default

build-asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan

# Only the fuzz targets need clang.
build-fuzz:
	@sh scripts/setup-deps.sh fuzz
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz

FUZZ_SECONDS ?= 60
fuzz: build-fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) tests/fuzz/run.sh

play: build
	cd build/game && ./wexla

test: build build-asan
	ctest --preset default
	ctest --preset asan
	@if command -v clang++ >/dev/null 2>&1; then $(MAKE) --no-print-directory fuzz FUZZ_SECONDS=20; \
	else echo "clang++ not installed: fuzz pass skipped"; fi

bench: build
	build/game/wexla-bench

clean:
	rm -rf build build-asan build-fuzz
