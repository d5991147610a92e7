# Two entry points for a fresh machine: `make demo` and `make test`.
# Both first install whatever build packages are missing.

JOBS ?= $(shell nproc)
CLI := build/src/lazarine-cli
SAMPLE_XZ := tests/fixtures/mbr-disk.img.xz
SAMPLE := build/sample/mbr-disk.img
ZEROED_XZ := tests/fixtures/zeroed-disk.img.xz
ZEROED := build/sample/zeroed-disk.img
NTFS_XZ := tests/fixtures/ntfs-disk.img.xz
NTFS := build/sample/ntfs-disk.img

.PHONY: all deps build demo demo-partitions test check check-asan fuzz bench fixtures clean gui

all: build

deps:
	@bash scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

$(SAMPLE): $(SAMPLE_XZ)
	@mkdir -p $(dir $@)
	xz -dc $< > $@

$(ZEROED): $(ZEROED_XZ)
	@mkdir -p $(dir $@)
	xz -dc $< > $@

$(NTFS): $(NTFS_XZ)
	@mkdir -p $(dir $@)
	xz -dc $< > $@

demo: build $(NTFS)
	@echo "== partitions of the bundled sample NTFS disk"
	$(CLI) partitions $(NTFS)
	@echo "== recovering its deleted files into ./recovered"
	rm -rf recovered
	$(CLI) --quiet recover $(NTFS) recovered --deleted-only
	@echo "== what was saved"
	@find recovered -type f -printf '%TY-%Tm-%Td %TH:%TM  %10s  %p\n' | sort -k4

demo-partitions: build $(SAMPLE) $(ZEROED)
	@echo "== partition table of the bundled sample disk"
	$(CLI) partitions $(SAMPLE)
	@echo "== whole-disk search on a copy whose partition tables were zeroed"
	$(CLI) partitions $(ZEROED) --search

check: build
	ctest --preset default -j $(JOBS)

check-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

test: check check-asan

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)

# Builds and starts the desktop wizard. Raw devices need root: sudo -E build/src/app/lazarine
gui: build
	build/src/app/lazarine

bench: build
	build/bench/partition_search_bench 4096

fixtures: deps
	@if [ "$$(id -u)" -eq 0 ]; then bash scripts/make-fixtures; else sudo bash scripts/make-fixtures; fi

clean:
	rm -rf build build-asan build-fuzz recovered
