# Two entry points for a fresh Debian 12 machine: `make demo` and `make test`.
BUILD   ?= build
FUZZ_BUILD ?= build-fuzz
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build test demo demo-news bench fuzz clean package

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest -j $(JOBS) --output-on-failure --timeout 600

package: build
	@cmake --build $(BUILD) --target package

demo: build
	@./scripts/demo $(BUILD)

# The ad-hoc news run on demo data.
demo-news: build
	@./scripts/demo-news $(BUILD)

bench: build
	@for b in $(BUILD)/bench/*/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
