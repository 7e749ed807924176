# make        build everything into build/game/
# make play   build and start the game
# make test   build and run every test, in the normal and in the sanitizer build
# make bench  build and run the benchmark (figures beside their budgets)

.PHONY: all play test bench deps build build-asan clean

all: build

deps:
	@sh scripts/setup-deps.sh

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default

build-asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan

play: build
	cd build/game && ./wexla

test: build build-asan
	ctest --preset default
	ctest --preset asan

bench: build
	build/game/wexla-bench

clean:
	rm -rf build build-asan
