# make run    builds the release tree and starts the game on the bundled sample data
#             (DEV=1: with the developer flags file, so the developer keys and texts are on)
# make test   builds the sanitizer tree and the Windows tree and runs both suites
#             (make test-linux / test-windows ARGS="-R NAME": one suite of a built tree)
# make bench  builds the release tree with the benchmarks and runs them
# make fuzz   builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS
# make windows builds the Windows tree (build/windows) with mingw-w64: engine, game, nimbrel.exe
#             and the test programs, which make test also runs under Wine

JOBS ?= $(shell nproc)
# Linux tests side by side: half the cores, two at least. An end-to-end shard keeps about two
# cores busy (the game, its software renderer, the test's looks); with one shard a core the
# machine runs several times over its cores and the looks miss what shows for a moment.
TEST_JOBS ?= $(shell n=$$(( $(JOBS) / 2 )); [ $$n -ge 2 ] || n=2; echo $$n)
FUZZ_SECONDS ?= 60
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
LAUNCHER := $(shell command -v ccache >/dev/null 2>&1 && echo "-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
# Paths below the checkout are hashed relative to it, so a fresh clone elsewhere (CI) still hits
# the compiler cache; the price is debug info that may name the folder of the first build.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
XVFB := xvfb-run -a -s "-screen 0 1024x768x24 -noreset"
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: all deps test test-linux test-windows release run bench fuzz clean windows windows-tree

all: release

deps:
	bash scripts/install-deps.sh

build/test/CMakeCache.txt:
	cmake -S . -B build/test $(GENERATOR) $(LAUNCHER) -DCMAKE_BUILD_TYPE=Debug \
		-DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" -DNIMBREL_SANITIZE=ON

# Both suites run before the verdict, so that a failing Linux test does not hide the Windows
# results; the last line names the suites that failed.
test: deps build/test/CMakeCache.txt
	cmake --build build/test -j $(JOBS)
	$(MAKE) --no-print-directory windows-tree
	@failed=""; \
	$(MAKE) --no-print-directory test-linux || failed="$$failed Linux"; \
	$(MAKE) --no-print-directory test-windows || failed="$$failed Windows"; \
	if [ -n "$$failed" ]; then echo "make test: the suites that failed:$$failed"; exit 1; fi

# One suite of an already built tree; ARGS go to ctest (ARGS="-R HallProgram"). A failed Linux
# test runs once more before the suite fails: on a machine loaded past its cores, some end-to-end
# looks still miss what the program showed between two of them.
test-linux:
	cd build/test && $(SANITIZER_ENV) $(XVFB) ctest --output-on-failure --timeout 600 -j $(TEST_JOBS) \
		--repeat until-pass:2 $(ARGS)

test-windows:
	@# One Wine prefix for the whole run, made before the tests start side by side.
	test -f $(WINEPREFIX)/system.reg || (WINEPREFIX=$(WINEPREFIX) WINEDEBUG=-all wineboot -i && \
		WINEPREFIX=$(WINEPREFIX) wineserver -w)
	@# The test display has no window manager: with Wine's windows left unmanaged, hiding or
	@# destroying one does not wait two seconds for a manager that never answers.
	grep -q '"Managed"="N"' $(WINEPREFIX)/user.reg || (WINEPREFIX=$(WINEPREFIX) WINEDEBUG=-all \
		wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f && WINEPREFIX=$(WINEPREFIX) wineserver -w)
	cd build/windows && WINEPREFIX=$(WINEPREFIX) WINEDEBUG=-all $(XVFB) \
		ctest --output-on-failure --timeout 600 -j $(JOBS) $(ARGS)

# The Windows tree: mingw-w64 with the libraries of scripts/build-windows-deps.sh (built once
# per machine into a cache outside the clone); its data is made by build/test's vornel.
WINEPREFIX := $(CURDIR)/build/windows/wineprefix
HOST_VORNEL := $(CURDIR)/build/test/bin/vornel

windows: deps build/test/CMakeCache.txt
	cmake --build build/test -j $(JOBS) --target vornel
	$(MAKE) --no-print-directory windows-tree

windows-tree:
	deps_prefix=$$(bash scripts/build-windows-deps.sh) && \
	cmake -S . -B build/windows $(GENERATOR) $(LAUNCHER) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/scripts/mingw-w64.cmake \
		-DNIMBREL_WINDOWS_DEPS=$$deps_prefix -DNIMBREL_HOST_VORNEL=$(HOST_VORNEL) \
		-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1" -DCMAKE_C_FLAGS_DEBUG="-O1"
	cmake --build build/windows -j $(JOBS)

build/release/CMakeCache.txt:
	cmake -S . -B build/release $(GENERATOR) $(LAUNCHER) -DCMAKE_BUILD_TYPE=Release \
		-DNIMBREL_TESTS=OFF -DNIMBREL_BENCH=ON

release: deps build/release/CMakeCache.txt
	cmake --build build/release -j $(JOBS)

DEV ?= 0
DEV_FILE := build/release/bin/Data_full_Win32/prefetch.params

run: release
	@if [ "$(DEV)" = "1" ]; then \
		build/release/bin/vornel devflags write $(DEV_FILE) --developer 1 --prefetch 1 --truetype 1; \
	else \
		rm -f $(DEV_FILE); \
	fi
	cd build/release/bin && ./nimbrel

bench: release
	@for b in build/release/bin/bench_*; do \
		[ -x "$$b" ] || continue; \
		echo "== $$b"; \
		$(XVFB) "$$b" || exit 1; \
	done

fuzz: deps
	cmake -S . -B build/fuzz $(GENERATOR) $(LAUNCHER) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DNIMBREL_TESTS=OFF -DNIMBREL_FUZZ=ON
	cmake --build build/fuzz -j $(JOBS)
	@for f in build/fuzz/bin/fuzz_*; do \
		name=$$(basename $$f); name=$${name#fuzz_}; \
		mkdir -p build/fuzz/corpus/$$name; \
		cp -n fuzz/corpus/$$name/* build/fuzz/corpus/$$name/ 2>/dev/null || true; \
		echo "== $$f ($(FUZZ_SECONDS) s)"; \
		$$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build/fuzz/corpus/$$name || exit 1; \
	done

clean:
	rm -rf build
