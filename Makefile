# Ordnix: make run | make test | make bench | make measure
JOBS ?= 2
CMAKE ?= cmake

.PHONY: deps build run test bench measure clean

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

bench: deps
	$(CMAKE) -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORDNIX_BUILD_TESTS=ON -DORDNIX_BUILD_BENCH=ON -DORDNIX_SANITIZE=OFF
	$(CMAKE) --build build/bench -j $(JOBS) --target quickdraw_bench text_bench battle_bench
	@rm -f build/bench/bench.log
	@for b in quickdraw_bench text_bench battle_bench; do \
	  echo "== $$b"; ./build/bench/bench/$$b 2>&1 | tee -a build/bench/bench.log || exit 1; \
	done
	@echo "== ratios"; grep -E '^(ratio|battle) ' build/bench/bench.log || true

measure: deps
	JOBS=$(JOBS) bash tools/measure.sh

clean:
	rm -rf build
