# make run   : install what is missing, build, start the program
# make test  : install what is missing, build, run every test (plain and ASan+UBSan)
# make bench : build and run the benchmark
# make fuzz  : build the fuzz targets and run each for FUZZ_SECONDS
# make install PREFIX=/usr/local
# make deb   : build the Debian package $(BUILD)/pirapo-lumo_<version>_<arch>.deb

PREFIX      ?= /usr/local
JOBS        ?= 2
BUILD       ?= build
ASAN_BUILD  ?= build-asan
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=

PACKAGES = build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
           libpng-dev zlib1g-dev libx11-dev fonts-ipafont-gothic xvfb xauth xdotool x11-xserver-utils \
           clang libclang-rt-14-dev imagemagick ccache openbox x11-utils \
           dpkg-dev desktop-file-utils appstream lintian \
           libheif-dev libraw-dev libexiv2-dev qt6-image-formats-plugins strace clang-format

# Only for make bench: the wallpapers the test shoot is made from and the tools that make
# it and set the baseline.
BENCH_PACKAGES = plasma-workspace-wallpapers libvips-tools libjpeg-turbo-progs libgdk-pixbuf2.0-bin libheif-examples

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps bench-deps build run test test-plain test-asan bench fuzz install deb clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    $(SUDO) apt-get update && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

bench-deps:
	@missing=$$(for p in $(BENCH_PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    $(SUDO) apt-get update && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/pirapo-lumo

test: test-plain test-asan

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMO_SANITIZE=ON $(CMAKE_FLAGS)

test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --output-on-failure -j $(JOBS) -E '^e2e_'

bench: deps bench-deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMO_TESTS=OFF -DLUMO_BENCH=ON $(CMAKE_FLAGS)
	cmake --build build-bench -j $(JOBS)
	bash bench/run.sh build-bench

fuzz: deps
	bash fuzz/run.sh $(FUZZ_SECONDS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

deb: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-bench build-fuzz
