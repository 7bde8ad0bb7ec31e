# Hardening: the native suite under the address and undefined-behaviour sanitizers,
# the libFuzzer targets (build/fuzz, clang), and the Wine runs that need a process
# of their own (foreign "DisplayLines" blocks). See docs/RELIABILITY.md.
.PHONY: test-asan fuzz-build fuzz-smoke fuzz test-wine-foreign

# libFuzzer's runtime for clang 14.
APT_PACKAGES += libclang-rt-14-dev

# Tests that hand the entries a null address on purpose: the undefined-behaviour
# sanitizer stops at the null access before the guard frame can catch the fault.
ASAN_EXCLUDED := ^(DisplayEntries\.CustomCharLoadsPatternsOneToThirtyTwo|LineMirror\.ReaderNamesAndCount|LineMirror\.AFailureAfterSomeBuffersLeavesAllFourHoldingTheFallback|HardeningBadInput\.NullAddresses)$$

test-asan: deps build-native-asan
	ctest --preset native-asan --output-on-failure -E '$(ASAN_EXCLUDED)'

EXTRA_TESTS += test-asan

# ---- Fuzzing ---------------------------------------------------------------------

FUZZ_BUILD := build/fuzz
FUZZ_TARGETS := fuzz_parse_device_number fuzz_entry_sequences
FUZZ_FLAGS := -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
FUZZ_ENV := ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
FUZZ_SMOKE_SECONDS ?= 5
FUZZ_SECONDS ?= 60

fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -G "Unix Makefiles" -DVANTREL_FUZZ=ON \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	    "-DCMAKE_C_FLAGS=$(FUZZ_FLAGS)" "-DCMAKE_CXX_FLAGS=$(FUZZ_FLAGS)" >/dev/null
	cmake --build $(FUZZ_BUILD) -j2 --target $(FUZZ_TARGETS)

# A short bounded run of each target from the kept corpus, fixed seed; new inputs
# go into a scratch folder, the corpus in the repo stays as it is.
fuzz-smoke: fuzz-build
	@status=0; for t in $(FUZZ_TARGETS); do \
	    rm -rf $(FUZZ_BUILD)/scratch/$$t; mkdir -p $(FUZZ_BUILD)/scratch/$$t; \
	    echo "fuzz-smoke: $$t"; \
	    $(FUZZ_ENV) $(FUZZ_BUILD)/bin/$$t -seed=1 -max_total_time=$(FUZZ_SMOKE_SECONDS) -print_final_stats=1 \
	        $(FUZZ_BUILD)/scratch/$$t fuzz/corpus/$$t 2>&1 | grep -E "^(stat::number_of_executed_units|stat::new_units_added|INFO: seed|==.*ERROR|SUMMARY|.*runtime error)" ; \
	    [ $${PIPESTATUS[0]} = 0 ] || { echo "fuzz-smoke: $$t FAILED"; status=1; }; \
	done; exit $$status

EXTRA_TESTS += fuzz-smoke

# Longer runs; what they find that adds coverage is merged into the kept corpus.
fuzz: fuzz-build
	@status=0; for t in $(FUZZ_TARGETS); do \
	    rm -rf $(FUZZ_BUILD)/scratch/$$t; mkdir -p $(FUZZ_BUILD)/scratch/$$t; \
	    $(FUZZ_ENV) $(FUZZ_BUILD)/bin/$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	        $(FUZZ_BUILD)/scratch/$$t fuzz/corpus/$$t || status=1; \
	    $(FUZZ_BUILD)/bin/$$t -merge=1 fuzz/corpus/$$t $(FUZZ_BUILD)/scratch/$$t 2>&1 | tail -1; \
	    echo "corpus $$t: $$(ls fuzz/corpus/$$t | wc -l) files"; \
	done; exit $$status

# ---- Wine: foreign blocks --------------------------------------------------------
#
# Each case needs a process in which no "DisplayLines" object exists yet and leaves
# its own foreign object behind for as long as the process lives, so each runs as a
# wine_tests.exe process of its own; in the main Wine run these tests skip.
FOREIGN_CASES := AnotherKindOfObjectWithTheName ABlockSmallerThanFourSlots LengthBytesAboveEighty

test-wine-foreign: deps build-win32 wineprefix
	@status=0; for c in $(FOREIGN_CASES); do \
	    ( cd $(WIN32_BUILD)/bin && VANTREL_FOREIGN_BLOCK_CASE=$$c $(WINE_RUN) ./wine_tests.exe \
	        --gtest_filter=HardeningForeignBlock.$$c ) 2>&1 | grep -E "^\[ *(OK|FAILED|SKIPPED|  PASSED) |Failure|Expected|Which is|actual" ; \
	    [ $${PIPESTATUS[0]} = 0 ] || { echo "test-wine-foreign: $$c FAILED"; status=1; }; \
	done; exit $$status

EXTRA_TESTS += test-wine-foreign
