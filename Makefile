# Ordnix: make run | make test | make bench | make measure
JOBS ?= 2
CMAKE ?= cmake

.PHONY: deps build run test fuzz bench measure clean

deps:
	@bash tools/install-deps.sh

build: deps
	$(CMAKE) -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORDNIX_BUILD_TESTS=OFF -DORDNIX_BUILD_BENCH=OFF
	$(CMAKE) --build build/release -j $(JOBS) --target ordnix

run: build
	./build/release/Ordnix/ordnix

test: deps
	$(CMAKE) -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DORDNIX_SANITIZE=ON -DORDNIX_BUILD_BENCH=OFF
	$(CMAKE) --build build/asan -j $(JOBS)
	cd build/asan && ctest --output-on-failure -j $(JOBS) --timeout 600
	$(MAKE) fuzz

# The recording reader, then the network decoder, under libFuzzer for 30 s each; new inputs go to
# build/fuzz, the seeds stay put.
fuzz: deps
	$(CMAKE) -S fuzz -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
	$(CMAKE) --build build/fuzz -j $(JOBS) --target recording_fuzz net_fuzz
	@mkdir -p build/fuzz/corpus build/fuzz/net-corpus
	./build/fuzz/recording_fuzz -max_total_time=30 -rss_limit_mb=2048 build/fuzz/corpus fuzz/corpus
	./build/fuzz/net_fuzz -max_total_time=30 -rss_limit_mb=2048 build/fuzz/net-corpus fuzz/net-corpus

bench: deps
	$(CMAKE) -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORDNIX_BUILD_TESTS=ON -DORDNIX_BUILD_BENCH=ON -DORDNIX_SANITIZE=OFF
	$(CMAKE) --build build/bench -j $(JOBS) --target quickdraw_bench text_bench battle_bench play_bench
	@rm -f build/bench/bench.log
	@for b in quickdraw_bench text_bench battle_bench play_bench; do \
	  echo "== $$b"; ./build/bench/bench/$$b 2>&1 | tee -a build/bench/bench.log || exit 1; \
	done
	@echo "== ratios"; grep -E '^(ratio|battle) ' build/bench/bench.log || true

measure: deps
	JOBS=$(JOBS) bash tools/measure.sh

clean:
	rm -rf build
