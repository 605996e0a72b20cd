# Kelvane setup runtime: the two builds and their tests.
#   make        build build/native and build/win32
#   make test   install what is missing, build both, run every test of both
#   make demo   the main job: build a Zorva setup and install it
JOBS ?= $(shell nproc)
NATIVE := build/native
WIN32 := build/win32

.PHONY: all deps native win32 test test-native test-win32 demo clean

all: native win32

deps:
	@scripts/install-deps

$(NATIVE)/CMakeCache.txt:
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

$(WIN32)/CMakeCache.txt:
	@cmake -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake >/dev/null

native: $(NATIVE)/CMakeCache.txt
	@cmake --build $(NATIVE) -j$(JOBS)

win32: $(WIN32)/CMakeCache.txt
	@cmake --build $(WIN32) -j$(JOBS)

test-native: native
	@scripts/run-tests $(NATIVE)

test-win32: win32
	@scripts/run-tests $(WIN32)

test: deps
	@$(MAKE) --no-print-directory all
	@status=0; \
	scripts/run-tests $(NATIVE) || status=1; \
	scripts/run-tests $(WIN32) || status=1; \
	scripts/test-summary $(NATIVE) $(WIN32) || status=1; \
	exit $$status

demo: deps
	@$(MAKE) --no-print-directory all
	@scripts/demo

clean:
	rm -rf build
