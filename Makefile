# make demo: install what is missing, build, create the demo database, run.
# make test: install what is missing, build, run every test.
# make install [PREFIX=/usr/local] [DESTDIR=...]: build and install.
# make package: build and make the Debian package in the build directory.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps build test demo bench sanitize clean install package

all: build

deps:
	@bash tools/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	@bash tools/demo.sh $(BUILD)

bench: build
	@for b in $(BUILD)/bench/*_bench; do [ -x "$$b" ] && "$$b"; done; true

# Unit tests under the address and undefined-behaviour sanitizers.
# The install and package checks are left to the plain build: the sanitizer
# runtime intercepts dlopen, so the installed programs' run path is not
# searched for the engine library.
sanitize: deps
	cmake -S . -B build-asan -DQDX_SANITIZE=ON -DQDX_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS) -E '^(e2e_|install_tree$$|package$$)'

# The programs find their engine relative to themselves, so any prefix works
# without reconfiguring.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) build-asan
