# Tavolin: `make run` builds the program and starts it under Wine;
# `make test` builds everything and runs every test. Both install what is missing.
MAKEFLAGS += --no-print-directory
BUILD ?= build
JOBS ?= 2
TAVOLIN_HOME ?= $(HOME)/Tavolin
CMAKE_FLAGS ?=

HOST := $(BUILD)/host
WIN := $(BUILD)/win

.PHONY: all deps host win test test-host test-win run bench dist clean

all: host win

deps:
	@scripts/deps

host: deps
	@cmake -S . -B $(HOST) -DTAV_WIN_DIR=$(CURDIR)/$(WIN) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(HOST) -j$(JOBS)

win: deps
	@cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(WIN) -j$(JOBS)

# One CTest run over the native tests and the Windows ones (under Wine).
test: host win
	@scripts/with-wine ctest --test-dir $(HOST) --output-on-failure

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

clean:
	rm -rf $(HOST) $(WIN) dist
