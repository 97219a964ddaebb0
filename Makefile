# The two commands of the README, and the builds CI and developers use.
#   make run        set up, build the programs (Release) and start the desktop program on the bundled data
#   make demo       set up, build the programs, then transform the sample survey files with marevert-cli
#   make build      set up and build everything (Release): programs, library, Python module, tests
#   make test       set up, build and run the whole test suite
#   make test-locale the whole test suite again under a comma-decimal locale
#   make test-asan  the test suite again with AddressSanitizer and UndefinedBehaviorSanitizer
#   make bench      build and run the benchmarks (not part of the tests)
#   make test-tsan  the job, progress-window, file handler and batch tests with ThreadSanitizer
#   make test-cluster the Slurm scripts end to end on a single-node cluster on the loopback
#   make fuzz       build the fuzz targets (clang, libFuzzer) and run each FUZZ_SECONDS

JOBS   ?= $(shell nproc 2>/dev/null || echo 2)
BUILD  ?= build
CMAKE_FLAGS ?=

FUZZ_SECONDS ?= 60

# Make's own "Entering directory" lines would only interleave with what the programs print.
MAKEFLAGS += --no-print-directory

# What make run and make demo need: the two programs and the data files beside them.
PROGRAMS ?= marevert marevert-cli marevert_data

.PHONY: setup programs build run demo test test-locale test-asan test-tsan test-cluster fuzz bench clean

setup:
	@bash scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# Only the programs, quietly: what follows on the terminal is what the programs print.
programs: setup
	@bash scripts/build.sh $(BUILD) $(JOBS) $(PROGRAMS) -- $(CMAKE_FLAGS)

run: programs
	@bash scripts/run.sh $(BUILD)

demo: programs
	@bash scripts/demo.sh $(BUILD)

# Every test but those of a Slurm cluster (label "cluster", make test-cluster).
test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -LE cluster

# Every number read or written must be the same whatever the locale: the same build's
# suite under a locale that writes "0,5" (scripts/setup.sh generates it).
TEST_LOCALE ?= de_DE.UTF-8

test-locale: build
	cd $(BUILD) && LC_ALL=$(TEST_LOCALE) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -LE cluster

test-asan: setup
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAREVERT_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) -LE cluster

# Only the tests that run jobs on threads: the job base and runner, the shared job, the
# progress window and messenger, the text, stream and profile helpers the handlers and jobs
# share, the file handlers (every survey handler and the raster handler share their work with a
# helper thread), the batch driver (several files at once), the command line's batches (a
# ThreadSanitizer marevert-cli with its file workers and its Ctrl-C watcher), and the LAZ
# codec (chunks of one file on several threads). Only these are built; ctest skips the others
# (registered as <name>_NOT_BUILT).
TSAN_TESTS ?= test_process test_process_qt test_common test_files test_file_proc test_raster test_cli_batch test_laz

test-tsan: setup
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAREVERT_TSAN=ON $(CMAKE_FLAGS)
	cmake --build build-tsan -j $(JOBS) --target $(TSAN_TESTS)
	cd build-tsan && QT_QPA_PLATFORM=offscreen \
	  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/scripts/tsan.supp \
	  ctest --output-on-failure -j $(JOBS) -E _NOT_BUILT

# The Slurm array and summarize scripts end to end: the tests start a single-node cluster
# on the loopback (munge, slurmctld and slurmd, scripts/cluster/local-slurm.sh) in
# $(BUILD)/slurm and stop it when they are done.
test-cluster: build
	cd $(BUILD) && ctest --output-on-failure -L cluster

fuzz: setup
	cmake -S fuzz -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS)
	bash fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

bench: setup
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DMAREVERT_BUILD_TESTS=OFF -DMAREVERT_BUILD_BENCH=ON $(CMAKE_FLAGS)
	cmake --build build-bench -j $(JOBS)
	@bash bench/run.sh build-bench

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz build-bench fuzz-out
