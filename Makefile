# The two set-up commands of the README: `make run` and `make test`.
# Both install what is missing first (scripts/install-deps).

BUILD      ?= build
WEB_BUILD  ?= build-web
BENCH_BUILD ?= build-bench
WEB_BENCH_BUILD ?= build-web-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME  ?= 30
FUZZ_RUNS  ?= 10000000
PREFIX     ?= /usr/local
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_GEN  := $(shell command -v ninja >/dev/null 2>&1 && echo -G Ninja)

.PHONY: all deps build build-asan build-fuzz install soak run test test-plain test-asan test-fuzz fuzz bench format clean web serve

all: build

deps:
	@scripts/install-deps

# Configure once, then let the generator track changes.
$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DGYRELLE_SANITIZE=ON

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Honours PREFIX and DESTDIR: make install PREFIX=/usr DESTDIR=/tmp/stage
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

run: build
	./$(BUILD)/app/gyrelle

test-plain: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The state-file reader under libFuzzer, from the committed corpus: make test runs it for
# FUZZ_TIME seconds, make fuzz for FUZZ_RUNS inputs.
$(FUZZ_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DGYRELLE_FUZZ=ON -DGYRELLE_TESTS=OFF

build-fuzz: deps $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target gyrelle_state_fuzz

# $(1): how long libFuzzer goes on.
fuzz-run = mkdir -p $(FUZZ_BUILD)/corpus && ./$(FUZZ_BUILD)/fuzz/gyrelle_state_fuzz $(1) \
	  -print_final_stats=1 $(FUZZ_BUILD)/corpus tests/corpus/state > $(FUZZ_BUILD)/fuzz.log 2>&1; \
	  status=$$?; tail -n 15 $(FUZZ_BUILD)/fuzz.log; exit $$status

test-fuzz: build-fuzz
	$(call fuzz-run,-max_total_time=$(FUZZ_TIME))

# The endurance run at full length: a million random events (make test runs 20 000).
SOAK_EVENTS ?= 1000000
soak: build
	GYRELLE_SOAK_EVENTS=$(SOAK_EVENTS) ./$(BUILD)/tests/gyrelle_soak_tests > $(BUILD)/soak.log 2>&1; \
	  status=$$?; grep -v '^reset: ' $(BUILD)/soak.log | tail -n 20; exit $$status

# Ten million inputs, or as many as wanted: make fuzz FUZZ_RUNS=100000000
fuzz: build-fuzz
	$(call fuzz-run,-runs=$(FUZZ_RUNS))

test: test-plain test-asan test-fuzz

# Speed figures (not run by `make test`): median of repeated runs, optimised build.
bench: deps
	cmake -S . -B $(BENCH_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DGYRELLE_TESTS=OFF -DGYRELLE_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	./$(BENCH_BUILD)/bench/gyrelle_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true 2>/dev/null
	./$(BENCH_BUILD)/bench/gyrelle_program_bench ./$(BENCH_BUILD)/app/gyrelle \
	  ./$(BENCH_BUILD)/bench/gyrelle_floor 10 5
	scripts/build-web $(WEB_BUILD) > /dev/null
	scripts/build-web $(WEB_BENCH_BUILD) gyrelle_web_floor -DGYRELLE_BENCH=ON > /dev/null
	node bench/web_bench.mjs $(WEB_BUILD) 10 3 $(WEB_BENCH_BUILD)
	./$(BENCH_BUILD)/bench/gyrelle_solver_bench
	./$(BENCH_BUILD)/bench/gyrelle_records_bench
	./$(BENCH_BUILD)/bench/gyrelle_learn_bench
	./$(BENCH_BUILD)/bench/gyrelle_import_bench ./$(BENCH_BUILD)/app/gyrelle
	scripts/build-web $(WEB_BENCH_BUILD) gyrelle_solver_bench -DGYRELLE_BENCH=ON > /dev/null
	node bench/web_solver_bench.mjs $(WEB_BENCH_BUILD)

# The browser build in $(WEB_BUILD)/, and the site alone in $(WEB_BUILD)/site/: the page,
# its script and WebAssembly, manifest, worker and icons.
web: deps
	scripts/build-web $(WEB_BUILD)

# A quick look at http://127.0.0.1:8000 (a phone needs https, or this machine's own address
# through a tunnel: see the README).
serve: web
	python3 -m http.server 8000 --bind 127.0.0.1 --directory $(WEB_BUILD)/site

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(WEB_BUILD) $(WEB_BENCH_BUILD)
