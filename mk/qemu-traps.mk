# The trap repair's own check (tools/qemu_traps): on the qemu way, each kind of
# fault must reach a 32-bit handler with the trap number an i386 kernel reports.
.PHONY: qemu-traps-check
EXTRA_TESTS += qemu-traps-check

qemu-traps-check: deps
	@if [ "$$(cmake/wine-setup.sh decide $(WIN32_BUILD))" = qemu ]; then \
	    $(WINE_RUN) --i386 $(WIN32_BUILD)/wine-qemu/traps/bin/trapno_check; \
	else \
	    echo "qemu-traps-check: plain Wine needs no trap repair"; \
	fi
