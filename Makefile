# Tavolin: `make run` builds the program and starts it under Wine;
# `make test` builds everything and runs every test. Both install what is missing.
MAKEFLAGS += --no-print-directory
BUILD ?= build
JOBS ?= 2
TAVOLIN_HOME ?= $(HOME)/Tavolin
CMAKE_FLAGS ?=

HOST := $(BUILD)/host
WIN := $(BUILD)/win
FUZZ := $(BUILD)/fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := $(patsubst tests/fuzz/fuzz_%.cpp,%,$(wildcard tests/fuzz/fuzz_*.cpp))

.PHONY: all deps host win fuzzers fuzz fuzz-coverage test test-host test-win crash-test sync-test run bench dist screenshots clean

all: host win

deps:
	@scripts/deps

host: deps
	@cmake -S . -B $(HOST) -DTAV_WIN_DIR=$(CURDIR)/$(WIN) -DTAV_FUZZ_DIR=$(CURDIR)/$(FUZZ) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(HOST) -j$(JOBS)

win: deps
	@cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(WIN) -j$(JOBS)

# The fuzz targets (tests/fuzz): clang, libFuzzer, AddressSanitizer and UBSan.
fuzzers: deps
	@cmake -S tests/fuzz -B $(FUZZ) -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ) -j$(JOBS)

# Every target over its seed corpus, then fuzzed for FUZZ_SECONDS each.
fuzz: fuzzers
	@rc=0; for t in $(FUZZ_TARGETS); do scripts/run-fuzz fuzz $(FUZZ) $$t $(FUZZ_SECONDS) || rc=1; done; exit $$rc

# Line coverage of the parser sources by the corpus (and what make fuzz kept).
fuzz-coverage: deps
	@cmake -S tests/fuzz -B $(FUZZ)-cov -DCMAKE_CXX_COMPILER=clang++ -DTAV_FUZZ_COVERAGE=ON >/dev/null
	@cmake --build $(FUZZ)-cov -j$(JOBS)
	@scripts/fuzz-coverage $(FUZZ)-cov $(FUZZ)

# One CTest run over the native tests, the Windows ones (under Wine) and the
# fuzz targets (their corpus and a few seconds of fuzzing each).
test: host win fuzzers
	@scripts/with-wine ctest --test-dir $(HOST) --output-on-failure

# The crash tests at length: the session stopped after every file operation
# (natively and under Wine), then TAV_CRASH_KILLS (100) kills of the real
# program while it is typed into. `make test` runs a short form of the kills.
crash-test: host win
	@scripts/with-wine ctest --test-dir $(HOST) --output-on-failure -R crash_tests
	@TAV_CRASH_KILLS=$${TAV_CRASH_KILLS:-100} scripts/with-wine \
	  bash tests/e2e/crash_kill.sh $(WIN)/src/app/Tavolin.exe $(WIN)/tests/e2e/tavctl.exe

# The sync test at length: two homes whose data folders two Syncthing
# instances keep in step, each program in its own Wine prefix; notes made,
# edited and deleted on both sides, also notes that came from the other side.
sync-test: win
	@TAV_SYNC_FULL=1 scripts/with-wine \
	  bash tests/e2e/sync.sh $(WIN)/src/app/Tavolin.exe $(WIN)/tests/e2e/tavctl.exe

run: win
	@mkdir -p "$(TAVOLIN_HOME)"
	@cp $(WIN)/src/app/Tavolin.exe "$(TAVOLIN_HOME)/"
	@mkdir -p "$(TAVOLIN_HOME)/help" && cp help/help.html "$(TAVOLIN_HOME)/help/"
	@echo "Starting $(TAVOLIN_HOME)/Tavolin.exe"
	@cd "$(TAVOLIN_HOME)" && $(CURDIR)/scripts/with-wine wine ./Tavolin.exe

bench: host win
	@scripts/run-bench $(HOST) $(WIN)

dist: win
	@scripts/make-dist $(WIN)

# Retakes the pictures of docs/ from the program as it now is.
screenshots: win
	@scripts/screenshots $(WIN) docs

clean:
	rm -rf $(HOST) $(WIN) $(FUZZ) $(FUZZ)-cov dist
