# Ordnix: make run | make test | make bench
JOBS ?= 2
CMAKE ?= cmake

.PHONY: deps build run test bench clean

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
	$(CMAKE) -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORDNIX_BUILD_TESTS=ON -DORDNIX_BUILD_BENCH=ON
	$(CMAKE) --build build/bench -j $(JOBS)
	@for b in build/bench/bench/*; do \
	  if [ -x "$$b" ] && [ -f "$$b" ]; then echo "== $$b"; "$$b" || exit 1; fi; \
	done

clean:
	rm -rf build
